#ifndef QUILL_PLAN_CHANGE_FLEET_TOUCH_H_
#define QUILL_PLAN_CHANGE_FLEET_TOUCH_H_

// The PCs an edit touches: the two deployments' matrices over the fleet's
// cells compared as diff compares them, each change then told by the PCs
// whose facts fall in its cells.
#include <cstdint>
#include <string>
#include <vector>

#include "plan/change/fleet_facts.h"
#include "plan/change/plan_diff.h"

namespace quill::plan {

// A change of the run's settings or of a launch, and the facts it touches.
struct TouchingChange {
  const SettingChange* setting = nullptr;  // one of the two is set
  const ChangeGroup* group = nullptr;
  std::vector<bool> touched;  // by fact
  int64_t pcs = 0;
};

struct FleetTouch {
  MatrixDiff diff;
  std::vector<std::string> languages;  // by fact: "07 (0x407)"
  // Those that touch a PC, settings first, then the most PCs first.
  std::vector<TouchingChange> changes;
  int64_t touched_pcs = 0;        // each PC once, however many changes touch it
  size_t deployment_changes = 0;  // as plain diff counts them, whatever the fleet
};

// Both matrices made over FleetScope(fleet). The diff's groups point into
// the FleetTouch, which is not to be copied.
void TouchFleet(const Matrix& before, const Matrix& after, const FleetFacts& fleet,
                FleetTouch* touch);

}  // namespace quill::plan

#endif  // QUILL_PLAN_CHANGE_FLEET_TOUCH_H_
