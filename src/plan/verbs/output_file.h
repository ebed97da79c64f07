#ifndef QUILL_PLAN_VERBS_OUTPUT_FILE_H_
#define QUILL_PLAN_VERBS_OUTPUT_FILE_H_

// The one place where a verb's output files are opened. An output is never
// one of the verb's inputs nor another output, and it is whole or absent:
// it is written to a new file in its folder and put in place of the old
// one only when complete, so a run that fails leaves the old file, and two
// runs at once leave one whole file.
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace quill::plan {

struct OutputAsked {
  const char* option;  // "--csv"
  std::string path;    // "" none, "-" standard output
};

// What a verb reads: files named, and folders of run logs, of which only
// the run logs are read.
struct VerbInputs {
  std::vector<std::string> files;
  std::vector<std::string> log_paths;
};

// kAllGood, or kUsage with the cause told: two outputs on one path (by
// identity, links included), or an output that is one of the inputs.
int RefuseOutputClashes(const char* verb, const std::vector<OutputAsked>& outputs,
                        const VerbInputs& inputs, std::ostream& err);

// An output file, or standard output for "-"; failures told as the verb's.
class Output {
 public:
  explicit Output(const char* verb) : verb_(verb) {}
  ~Output();  // what was not kept is removed
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  bool Open(const std::string& path, std::ostream& out, std::ostream& err);
  std::ostream* stream() const { return stream_; }
  bool is_file() const { return file_ != nullptr; }
  // The paths a reading of the inputs must pass over: the old file and the new.
  std::vector<std::string> written_paths() const;
  // The file put in its place; false, told, when it could not be written.
  bool Close(std::ostream& err);

 private:
  void Discard();

  const char* verb_;
  std::string path_;    // as given
  std::string target_;  // the file replaced: a link's target
  std::string temporary_;
  std::unique_ptr<std::ofstream> file_;
  std::ostream* stream_ = nullptr;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_VERBS_OUTPUT_FILE_H_
