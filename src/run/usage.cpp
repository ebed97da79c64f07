#include "run/usage.h"

namespace quill {

const char16_t kUsageCaption[] = u"Quillrunner Installer Utility";

WString UsageText() {
  static const char16_t* const kPieces[] = {
      u"Version 1.04",
      u":\n\n",
      u"USAGE::  QUILLRUN.EXE <Full PathName of the Input INI File>\n",
      u"                  ( e.g. QUILLRUN.EXE \\Test\\QuillRun.INI )\n\n",
      u"  *Note:\n",
      u"        - \"\\DARezad\\AppInstl\\Lang.ini\" must exist.\n",
      u"        - ZYLNT.DLL must exist and be kept at the same place with QUILLRUN.EXE.\n",
      u"          OR, \"\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL\" must exist.",
  };
  WString text;
  for (const char16_t* piece : kPieces) text += piece;
  return text;
}

void ShowUsage(UserInterface& ui) { ui.ShowMessageBox(UsageText(), kUsageCaption, kMbOk); }

}  // namespace quill
