// quillplan: shows what a run of the installer driver would do on a given
// machine, lints its input files, and reads its run logs.
#include <exception>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "base/utf.h"
#include "plan/host/console.h"
#include "plan/host/wildcards.h"
#include "plan/verbs/command_line.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/verbs.h"

namespace {

using quill::plan::CommandLine;

int Main(int argc, char** argv, CommandLine* line, std::ostream& out, std::ostream& err) {
  int status = quill::plan::kAllGood;
  if (!quill::plan::ParseCommandLine(argc, argv, "quillplan " QUILLPLAN_VERSION, line, &status,
                                     out, err)) {
    return status;
  }
  if ((status = quill::plan::ExpandWildcards(*quill::plan::MakeWildcards(), line, err))) return status;
  return quill::plan::RunVerb(*line, out, err);
}

// Whatever a verb says, it is an error when it could not be written; and
// memory that runs out is told, not an abort.
int Guarded(int argc, char** argv) {
  quill::plan::StandardStreams streams;
  std::ostream& out = streams.out();
  std::ostream& err = streams.err();
  CommandLine line;
  int status = quill::plan::kTrouble;
  try {
    status = Main(argc, argv, &line, out, err);
  } catch (const std::bad_alloc&) {
    quill::plan::TellError(err, line.verb, "memory", "ran out");
    return quill::plan::kTrouble;
  } catch (const std::exception& error) {
    quill::plan::TellError(err, line.verb, "internal error", error.what());
    return quill::plan::kTrouble;
  }
  if (!out.flush()) {
    quill::plan::TellError(err, line.verb, "standard output", "cannot be written");
    return quill::plan::kTrouble;
  }
  return status;
}

}  // namespace

#ifdef _WIN32
// Windows hands over the arguments in UTF-16; quillplan works in UTF-8.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    arguments.push_back(quill::ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(&argument[0]);
  return Guarded(argc, pointers.data());
}
#else
int main(int argc, char** argv) { return Guarded(argc, argv); }
#endif
