#include <QtTest>
class tst_X : public QObject { Q_OBJECT };
QTEST_MAIN(tst_X)
#include "tst_linereport.moc"
