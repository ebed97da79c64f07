#ifndef QUILL_PLAN_PAGE_FLEET_PAGE_H_
#define QUILL_PLAN_PAGE_FLEET_PAGE_H_

// A fleet report as one self-contained page: the charts are SVG drawn
// here, with no script and nothing fetched, so it opens from a share.
#include <ostream>

#include "plan/report/fleet_totals.h"

namespace quill::plan {

// `pcs_listed`: how many of the PCs still failing the page lists.
void WriteFleetPage(const FleetTotals& totals, size_t pcs_listed, std::ostream& out);

}  // namespace quill::plan

#endif  // QUILL_PLAN_PAGE_FLEET_PAGE_H_
