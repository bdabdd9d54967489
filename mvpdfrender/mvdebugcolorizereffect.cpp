#include "mvdebugcolorizereffect.h"

#include <QBrush>
#include <QFont>
#include <QGraphicsItem>
#include <QPainter>
#include <QPen>

namespace {
constexpr qreal kOutlineWidth = 0.5;
constexpr int kLabelPixelSize = 6;
}

// The item whose numbers the label shows.
struct Q_DECL_HIDDEN MvDebugColorizerEffect::Private
{
    QGraphicsItem *item = nullptr;   // not owned
};

MvDebugColorizerEffect::MvDebugColorizerEffect(QObject *parent)
    : QGraphicsEffect(parent), d(new Private)
{
}

MvDebugColorizerEffect::~MvDebugColorizerEffect() = default;

void MvDebugColorizerEffect::setItem(QGraphicsItem *item)
{
    d->item = item;
}

void MvDebugColorizerEffect::draw(QPainter *painter)
{
    drawSource(painter);
    painter->save();

    painter->setBrush(QBrush());
    QPen pen(Qt::SolidLine);
    pen.setColor(Qt::blue);
    pen.setWidthF(kOutlineWidth);
    painter->setPen(pen);
    const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
    painter->drawRects(&bounds, 1);

    QFont font;
    font.setFamily(QStringLiteral("Monospace"));
    font.setPixelSize(kLabelPixelSize);
    painter->setFont(font);

    if (const QGraphicsItem *item = d->item) {
        const QRectF itemBounds = item->boundingRect();
        const QChar fill(QLatin1Char(' '));
        const QString label = QStringLiteral("S:%1, %2x%3")
                .arg(item->scale(), 0, 'g', -1, fill)
                .arg(itemBounds.width(), 0, 'g', -1, fill)
                .arg(itemBounds.height(), 0, 'g', -1, fill);
        painter->drawText(bounds.bottomRight(), label);
    }
    painter->restore();
}
