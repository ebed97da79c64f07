#ifndef QUILL_BASE_SETTINGS_READER_H_
#define QUILL_BASE_SETTINGS_READER_H_

// The one reader of the input INI file's keys, through their table: a
// [Settings] value is kept as read, so that whoever shows or judges it later
// reads the same text without asking the file again.
#include "base/ini_keys.h"
#include "base/run_context.h"
#include "platform/profile_reader.h"
#include "platform/system_info.h"

namespace quill {

const WString& ReadSetting(Key key, RunContext& context, ProfileReader& profiles,
                           SystemInfo& system);

// Whether [Settings] puts an application's own value of the key in force.
bool OwnValueInForce(Key key, const RunSettings& settings);

// An application's own value of the key; empty where it is not in force.
WString ReadOwnValue(Key key, const WString& section, const RunContext& context,
                     ProfileReader& profiles, SystemInfo& system);

}  // namespace quill

#endif  // QUILL_BASE_SETTINGS_READER_H_
