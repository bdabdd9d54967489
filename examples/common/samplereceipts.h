#ifndef SAMPLERECEIPTS_H
#define SAMPLERECEIPTS_H

#include "mvstringformatter.h"

#include <QList>
#include <QStringList>

// Receipts of a Polish shop for the examples and the benchmarks, composed with
// MvStringFormatter: a centred header, item lines with long names wrapped, a double-width
// total, the date. The same count and seed always give the same receipts.
namespace SampleReceipts {

// Receipts numbered from 1; the one numbered cancelledNumber (if any) is marked ANULOWANY.
QList<MvStringFormatter> compose(int count, int cancelledNumber = 0);
// The lines of all receipts, a blank line after each.
QStringList lines(const QList<MvStringFormatter> &receipts);
// The first lineCount lines of as many receipts as they take.
QStringList lines(int lineCount);

} // namespace SampleReceipts

#endif // SAMPLERECEIPTS_H
