#ifndef MVLAYOUT_H
#define MVLAYOUT_H

/**
 * \brief The fixed measures of the report layout, by name.
 *
 * The renderers and the page composer lay pages out by these, and a host that mimics or
 * checks a page can use the same values. Lengths in millimetres are converted to scene units
 * with AsyncReportsHelper::MMTOPT().
 * \since 1.1
 */
namespace MvLayout {

/**
 * A line report's line longer than this many UTF-16 code units needs the wider columns of a
 * two-column page: the page it stands on is laid out in two columns.
 */
constexpr int LongLineLength = 50;

/**
 * Text lines advance by this share of their item's height, so that consecutive lines overlap
 * by a fifth of it. The document renderer measures a text item's slot by the same factor
 * (unless the item says otherwise, see MvKeys::HeightFactorKey and MvKeys::FullHeightKey).
 */
constexpr double LinePitch = 0.8;

/**
 * A document report's page has three columns unless an item it holds is wider than a third
 * of the page less this many millimetres.
 */
constexpr double ThreeColumnReserveMm = 3.0;

/** Between two documents: this gap (in millimetres), a rule, and this gap again. */
constexpr double DocumentGapMm = 1.0;

/** The rule between two documents stops this many millimetres short of either column edge. */
constexpr double RuleInsetMm = 2.0;

} // namespace MvLayout

#endif // MVLAYOUT_H
