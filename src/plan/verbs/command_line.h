#ifndef QUILL_PLAN_VERBS_COMMAND_LINE_H_
#define QUILL_PLAN_VERBS_COMMAND_LINE_H_

// quillplan's command line: each verb's options declared once for CLI11,
// with its defaults and an example, parsed into that verb's options; what
// the parser objects to told in the one form of every error.
#include <ostream>
#include <string>
#include <utility>

#include "plan/host/wildcards.h"
#include "plan/verbs/verbs.h"

namespace quill::plan {

struct CommandLine {
  std::string verb;  // the verb chosen
  PlanOptions plan;
  MatrixOptions matrix;
  LintOptions lint;
  ReportOptions report;
  DiffOptions diff;
  HashOptions hash;
};

// True when `line` holds a verb to run; otherwise the command line has been
// answered (--help, --version, or an error told on `err`) with `*status`.
// `version` is what --version prints.
bool ParseCommandLine(int argc, char** argv, const char* version, CommandLine* line, int* status,
                      std::ostream& out, std::ostream& err);

// What a parser's message is about and what it says of it: "OLD is
// required" as {"OLD", "is required"}.
std::pair<std::string, std::string> ParseErrorParts(const std::string& message);

// The input paths of the chosen verb with their wildcards expanded, where
// the host leaves that to the tool: kAllGood or kUsage, told.
int ExpandWildcards(Wildcards& wildcards, CommandLine* line, std::ostream& err);

// The chosen verb's exit status.
int RunVerb(const CommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace quill::plan

#endif  // QUILL_PLAN_VERBS_COMMAND_LINE_H_
