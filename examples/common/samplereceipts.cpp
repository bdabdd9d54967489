#include "samplereceipts.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <iterator>

namespace {

constexpr quint32 kSeed = 2026;

struct Product { const char *name; int priceGrosze; };

const Product kProducts[] = {
    {"Chleb żytni na zakwasie 500 g", 749}, {"Masło ekstra 82% 200 g", 899},
    {"Mleko 3,2% 1 l", 379}, {"Ser żółty gouda plastry 150 g", 699},
    {"Jabłka Szampion luz", 412}, {"Kawa ziarnista Crema, palona w Polsce, 1 kg", 6499},
    {"Woda mineralna niegazowana 1,5 l", 219}, {"Pierogi ruskie 400 g", 1149},
    {"Herbata czarna ekspresowa 100 szt.", 1299}, {"Śmietana 18% 400 g", 589},
};

QString money(int grosze)
{
    return QStringLiteral("%1,%2").arg(grosze / 100).arg(grosze % 100, 2, 10, QLatin1Char('0'));
}

// One receipt: centred shop header, item lines with wrapped long names, a double-width total.
MvStringFormatter composeReceipt(int number, QRandomGenerator &random, bool cancelled)
{
    MvStringFormatter receipt;
    receipt.AppFormatC(QStringLiteral("SKLEP SPOŻYWCZY \"POD LIPAMI\""));
    receipt.AppFormatC(QStringLiteral("ul. Długa 7, 31-147 Kraków"));
    receipt.AppFormatC(QStringLiteral("NIP 677-000-00-00"));
    receipt.AppendSeparator(false);
    receipt.AppFormatW(QStringLiteral("PARAGON FISKALNY"), QStringLiteral("nr %1").arg(number));
    receipt.AppendSeparator(false);

    int total = 0;
    const int items = 2 + random.bounded(6);
    for (int i = 0; i < items; ++i) {
        const Product &product = kProducts[random.bounded(int(std::size(kProducts)))];
        const int quantity = 1 + random.bounded(3);
        total += quantity * product.priceGrosze;
        receipt.AppFormatWRightWrap(QString::fromUtf8(product.name),
                                    QStringLiteral(" %1 x %2 %3").arg(quantity)
                                    .arg(money(product.priceGrosze), money(quantity * product.priceGrosze)));
    }
    receipt.AppendSeparator(false);
    receipt.Append(MvStringFormatter::MakeItTwice(
            MvStringFormatter::FormatW(QStringLiteral("SUMA PLN"), money(total), 20), 0), true);
    receipt.AppFormatW(QStringLiteral("Gotówka"), money(total + random.bounded(2000)));
    receipt.AppendSeparator(false);
    const QDateTime when(QDate(2026, 11, 1).addDays(number % 30), QTime(8, 0).addSecs(number * 97 % 40000));
    receipt.AppFormatW(when.toString(QStringLiteral("yyyy-MM-dd")), when.toString(QStringLiteral("HH:mm")));
    if (cancelled)
        receipt.AppFormatC(QStringLiteral("ANULOWANY"));
    return receipt;
}

} // namespace

namespace SampleReceipts {

QList<MvStringFormatter> compose(int count, int cancelledNumber)
{
    QRandomGenerator random(kSeed);
    QList<MvStringFormatter> receipts;
    for (int number = 1; number <= count; ++number)
        receipts.append(composeReceipt(number, random, number == cancelledNumber));
    return receipts;
}

QStringList lines(const QList<MvStringFormatter> &receipts)
{
    QStringList result;
    for (const MvStringFormatter &receipt : receipts) {
        result.append(receipt.lines());
        result.append(QString());
    }
    return result;
}

QStringList lines(int lineCount)
{
    // Receipt by receipt, so that only their lines are kept.
    QRandomGenerator random(kSeed);
    QStringList result;
    for (int number = 1; result.size() < lineCount; ++number) {
        result.append(composeReceipt(number, random, false).lines());
        result.append(QString());
    }
    return result.mid(0, lineCount);
}

} // namespace SampleReceipts
