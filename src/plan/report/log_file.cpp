#include "plan/report/log_file.h"

#include <algorithm>
#include <cstring>

namespace quill::plan {

namespace {

constexpr char kBanner[] = "QUILLRUN starts at: ";

}  // namespace

bool LogFile::ReadFile(char* into, size_t size, size_t* got) {
  if (!file_.Read(into, size, got)) read_failed_ = true;
  return !read_failed_;
}

const std::string& LogFile::Opening() {
  if (looked_ahead_) return opening_;
  looked_ahead_ = true;
  char chunk[4096];
  size_t text = 0;
  size_t end = 0;  // of the opening in ahead_
  while (text < kOpening && ahead_.size() < kMostAhead) {
    size_t got = 0;
    if (!ReadFile(chunk, std::min(sizeof chunk, kMostAhead - ahead_.size()), &got) || got == 0) {
      break;
    }
    ahead_.append(chunk, got);
    // Text up to the next NUL at once: most files hold none.
    while (end < ahead_.size() && text < kOpening) {
      const size_t span = std::min(kOpening - text, ahead_.size() - end);
      const void* nul = std::memchr(ahead_.data() + end, '\0', span);
      const size_t plain =
          nul != nullptr
              ? static_cast<size_t>(static_cast<const char*>(nul) - (ahead_.data() + end))
              : span;
      text += plain;
      end += plain;
      while (text < kOpening && end < ahead_.size() && ahead_[end] == '\0') ++end;
    }
  }
  opening_ = ahead_.substr(0, end);
  return opening_;
}

bool LogFile::Read(char* into, size_t size, size_t* got) {
  if (ahead_given_ < ahead_.size()) {
    *got = std::min(size, ahead_.size() - ahead_given_);
    std::memcpy(into, ahead_.data() + ahead_given_, *got);
    ahead_given_ += *got;
    if (ahead_given_ == ahead_.size()) {
      ahead_.clear();
      ahead_.shrink_to_fit();
      opening_.clear();
      opening_.shrink_to_fit();
      ahead_given_ = 0;
    }
    return true;
  }
  return ReadFile(into, size, got);
}

std::string WhyNotALog(const std::string& opening) {
  if (opening.find_first_not_of('\0') == std::string::npos) {
    return opening.empty() ? "not a run log: the file is empty"
                           : "not a run log: it holds only NUL bytes";
  }
  if (opening.find(kBanner) != std::string::npos) return "";
  const bool marked = opening.rfind("\xFF\xFE", 0) == 0 || opening.rfind("\xFE\xFF", 0) == 0;
  size_t odd_nuls = 0;
  size_t even_nuls = 0;
  for (size_t i = 0; i < opening.size(); ++i) (i % 2 ? odd_nuls : even_nuls) += opening[i] == '\0';
  if (marked || odd_nuls * 2 > opening.size() / 2 || even_nuls * 2 > opening.size() / 2) {
    return "not a run log: it is UTF-16 text, and a run log holds one byte a character";
  }
  return "not a run log: no banner \"QUILLRUN starts at:\" in its first 4 KiB";
}

}  // namespace quill::plan
