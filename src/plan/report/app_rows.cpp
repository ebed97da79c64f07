#include "plan/report/app_rows.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "plan/report/run_report.h"

namespace quill::plan {

namespace {

template <typename T>
void Put(T value, std::string* out) {
  out->append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutText(std::string_view text, std::string* out) {
  Put(static_cast<uint32_t>(text.size()), out);
  out->append(text);
}

template <typename T>
void PutOptional(const std::optional<T>& value, std::string* out) {
  Put(static_cast<uint8_t>(value.has_value()), out);
  if (value) Put(*value, out);
}

void PutStamp(const StampRead& stamp, std::string* out) {
  PutText(stamp.text.bytes(), out);
  PutOptional(stamp.seconds, out);
}

// The bytes of a row, read back in the order they were put.
class RowBytes {
 public:
  explicit RowBytes(std::string_view bytes) : bytes_(bytes) {}
  template <typename T>
  bool Get(T* value) {
    if (bytes_.size() < sizeof *value) return false;
    std::memcpy(value, bytes_.data(), sizeof *value);
    bytes_.remove_prefix(sizeof *value);
    return true;
  }
  bool GetText(LogText* text) {
    uint32_t size = 0;
    if (!Get(&size) || bytes_.size() < size) return false;
    text->Assign(bytes_.substr(0, size));
    bytes_.remove_prefix(size);
    return true;
  }
  template <typename T>
  bool GetOptional(std::optional<T>* value) {
    uint8_t has = 0;
    T read{};
    if (!Get(&has) || (has != 0 && !Get(&read))) return false;
    *value = has != 0 ? std::optional<T>(read) : std::nullopt;
    return true;
  }
  bool GetStamp(StampRead* stamp) { return GetText(&stamp->text) && GetOptional(&stamp->seconds); }
  bool ended() const { return bytes_.empty(); }

 private:
  std::string_view bytes_;
};

// The reason's own text in the row, its one pointer when read back.
std::string_view ReasonText(const char* reason) { return reason == nullptr ? "" : reason; }
const char* ReasonOf(std::string_view text) {
  for (const char* reason : NotVerifiedReasons()) {
    if (text == reason) return reason;
  }
  return nullptr;
}

void PutRow(const AppRow& app, std::string* out) {
  out->clear();
  for (const LogText* text :
       {&app.list_section, &app.app_section, &app.command_line, &app.detect_rule}) {
    PutText(text->bytes(), out);
  }
  PutStamp(app.start, out);
  PutStamp(app.end, out);
  Put(app.outcome, out);
  PutOptional(app.counted_seconds, out);
  PutOptional(app.exit_code, out);
  PutOptional(app.verdict, out);
  Put(app.exit_record, out);
  Put(app.busy_tries, out);
  Put(app.detection, out);
  PutText(ReasonText(app.not_verified), out);
  Put(app.cut_short, out);
  Put(app.line, out);
}

bool GetRow(std::string_view bytes, AppRow* app) {
  RowBytes row(bytes);
  LogText reason;
  const bool read = row.GetText(&app->list_section) && row.GetText(&app->app_section) &&
                    row.GetText(&app->command_line) && row.GetText(&app->detect_rule) &&
                    row.GetStamp(&app->start) && row.GetStamp(&app->end) &&
                    row.Get(&app->outcome) && row.GetOptional(&app->counted_seconds) &&
                    row.GetOptional(&app->exit_code) && row.GetOptional(&app->verdict) &&
                    row.Get(&app->exit_record) && row.Get(&app->busy_tries) &&
                    row.Get(&app->detection) && row.GetText(&reason) && row.Get(&app->cut_short) &&
                    row.Get(&app->line);
  app->not_verified = ReasonOf(reason.bytes());
  return read && row.ended();
}

}  // namespace

AppRows::const_iterator::const_iterator(const AppRows* rows, size_t index)
    : rows_(rows), index_(index) {
  Load();
}

const AppRow& AppRows::const_iterator::operator*() const {
  if (index_ < rows_->held_.size()) return rows_->held_[index_];
  if (index_ < rows_->held_.size() + rows_->on_disk()) return cursor_->row;
  return rows_->last_;
}

AppRows::const_iterator& AppRows::const_iterator::operator++() {
  ++index_;
  Load();
  return *this;
}

// A row on disk is read as the iteration reaches it; a file that fails
// to give it back ends the iteration there.
void AppRows::const_iterator::Load() {
  const size_t first = rows_->held_.size();
  if (index_ < first || index_ >= first + rows_->on_disk()) return;
  if (!cursor_) cursor_ = std::make_shared<DiskCursor>(rows_->spilled_);
  std::string_view bytes;
  if (!cursor_->reader.Next(&bytes) || !GetRow(bytes, &cursor_->row)) index_ = rows_->size_;
}

AppRows& AppRows::operator=(const AppRows& other) {
  if (this == &other) return *this;
  clear();
  for (const AppRow& row : other) push_back(row);
  return *this;
}

AppRow& AppRows::Add() {
  if (spilling()) {
    PutRow(last_, &row_bytes_);
    spilled_.Add(row_bytes_);
  } else if (held_.size() < kHeld) {
    ++size_;
    return held_.Add();
  }
  ++size_;
  return last_;
}

void AppRows::clear() {
  held_.clear();
  size_ = 0;
  spilled_.clear();
}

const AppRow& AppRows::operator[](size_t index) const {
  const_iterator at = begin();
  for (size_t i = 0; i < index; ++i) ++at;
  if (index < held_.size() || index + 1 == size_) return *at;
  looked_up_ = *at;
  return looked_up_;
}

}  // namespace quill::plan
