#ifndef QUILL_TESTS_PLAN_BENCH_PROCESS_H_
#define QUILL_TESTS_PLAN_BENCH_PROCESS_H_

// A benchmark times what a user runs: the built quillplan as a whole
// process, its output into a file, its peak memory as the kernel counts it.
#include <string>
#include <vector>

namespace quill::plan {

struct TimedRun {
  int status = -1;          // exit status; -1 when it did not end normally
  double seconds = 0;       // wall clock
  long peak_kib = 0;        // maximum resident set
  long long output_bytes = 0;
};

// Standard error goes to `error_file` when one is named.
TimedRun RunTimed(const std::vector<std::string>& arguments, const std::string& output_file,
                  const std::string& error_file = "");

// The best of `runs` by time. Another run is taken only while the best is
// past `limit` but within twice it, where a shared machine's noise may be
// what put it there.
TimedRun BestOf(int runs, double limit, const std::vector<std::string>& arguments,
                const std::string& output_file);

}  // namespace quill::plan

#endif  // QUILL_TESTS_PLAN_BENCH_PROCESS_H_
