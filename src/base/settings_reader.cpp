#include "base/settings_reader.h"

namespace quill {

const WString& ReadSetting(Key key, RunContext& context, ProfileReader& profiles,
                           SystemInfo& system) {
  WString& text = context.SettingTexts[static_cast<size_t>(key)];
  text = ReadKey(key, kSettingsSection, context.InputIniPath, profiles, system);
  return text;
}

bool OwnValueInForce(Key key, const RunSettings& settings) {
  const KeyRow& row = RowOf(key);
  if ((row.places & kInApplication) == 0) return false;
  if (row.gate == Key::kNone) return true;
  return !settings.SettingText(row.gate).empty() ||
         (row.gate_too != Key::kNone && !settings.SettingText(row.gate_too).empty());
}

WString ReadOwnValue(Key key, const WString& section, const RunContext& context,
                     ProfileReader& profiles, SystemInfo& system) {
  if (!OwnValueInForce(key, context)) return WString();
  return ReadKey(key, section, context.InputIniPath, profiles, system);
}

}  // namespace quill
