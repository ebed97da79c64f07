#include "plan/fleet/fleet_page.h"
namespace quill::plan {
void WriteFleetPage(const FleetTotals&, std::ostream&) {}
}
