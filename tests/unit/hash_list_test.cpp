#include <gtest/gtest.h>

#include <algorithm>

#include "fake_platform.h"
#include "log/run_log.h"
#include "one_app_run.h"
#include "runner/hash_list.h"
#include "runner/install_pass.h"

namespace quill {
namespace {

const std::string kHashA =
    "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";  // "a"
const std::string kHashB =
    "3e23e8160039594a33894f6564e1b1348bbd7a0088d42c4acb73eeaed59c009d";  // "b"

TEST(HashListTest, LinesReadAsSha256sumWritesThem) {
  struct Case {
    std::string line;
    std::string key;  // empty: the line does not read
    std::string sha256;
  };
  const std::string upper = "CA978112CA1BBDCAFAC231B39A23DC4DA786EFF8147C4E72B9807785AFEE48BB";
  const Case cases[] = {
      {kHashA + "  setup.exe", "C:\\DEPLOY\\SETUP.EXE", kHashA},
      {kHashA + " *Apps/Reader/Setup.exe", "C:\\DEPLOY\\APPS\\READER\\SETUP.EXE", kHashA},
      {upper + "  apps\\x.msi\r", "C:\\DEPLOY\\APPS\\X.MSI", kHashA},
      {kHashA + "  ../Other/./x.exe", "C:\\OTHER\\X.EXE", kHashA},
      {kHashA + "  D:/Kit/x.exe", "D:\\KIT\\X.EXE", kHashA},
      {kHashA + "  \\\\server\\share\\x.exe", "\\\\SERVER\\SHARE\\X.EXE", kHashA},
      {kHashA + "  \\Root\\x.exe", "C:\\ROOT\\X.EXE", kHashA},
      {kHashA + "  a b.exe", "C:\\DEPLOY\\A B.EXE", kHashA},
      {"\\" + kHashA + "  dir\\\\x.exe", "C:\\DEPLOY\\DIR\\X.EXE", kHashA},
      {"\\" + kHashA + "  dir\\nx.exe", "", ""},
      {kHashA + "  ../..", "C:\\", kHashA},
      {kHashA + "  D:x.exe", "", ""},
      {kHashA + "  C:x.exe", "", ""},
      {kHashA + "  //srv/../x.exe", "", ""},
      {kHashA + " setup.exe", "", ""},
      {kHashA + "  ", "", ""},
      {kHashA.substr(1) + "  setup.exe", "", ""},
      {"g" + kHashA.substr(1) + "  setup.exe", "", ""},
      {kHashA + "\tsetup.exe", "", ""},
      {"SHA256 (setup.exe) = " + kHashA, "", ""},
  };
  for (const Case& c : cases) {
    const ParsedHashList list = ParseHashList("\n" + c.line + "\n", u"C:\\Deploy");
    if (c.key.empty()) {
      EXPECT_EQ(std::vector<int32_t>{2}, list.unread_lines) << c.line;
      EXPECT_TRUE(list.by_path.empty()) << c.line;
      continue;
    }
    ASSERT_EQ(1u, list.by_path.size()) << c.line;
    EXPECT_EQ(c.key, Narrow(list.by_path.begin()->first)) << c.line;
    EXPECT_EQ(c.sha256, list.by_path.begin()->second.sha256) << c.line;
    EXPECT_EQ(2, list.by_path.begin()->second.line) << c.line;
    EXPECT_TRUE(list.unread_lines.empty()) << c.line;
  }
}

TEST(HashListTest, AFileListedTwiceWithDifferentHashesMatchesNeither) {
  const ParsedHashList list =
      ParseHashList("\xEF\xBB\xBF" + kHashA + "  x.exe\n\t \n" + kHashA + "  X.EXE\n" + kHashB +
                        "  y.exe\n" + kHashA + "  ./Y.exe\n",
                    u"C:\\D");
  EXPECT_EQ(kHashA, list.by_path.at(u"C:\\D\\X.EXE").sha256);
  EXPECT_EQ("", list.by_path.at(u"C:\\D\\Y.EXE").sha256);
  EXPECT_TRUE(list.unread_lines.empty());
}

TEST(InstallerFilesTest, TheProgramOrWhatTheSystemsMsiexecInstalls) {
  struct Case {
    WString handed;
    std::vector<WString> files;
    WString refused = WString();
  };
  const WString msiexec = u"C:\\WINDOWS\\system32\\msiexec.exe";
  const WString code = u"{11111111-2222-3333-4444-555555555555}";
  const Case cases[] = {
      {u"C:\\A\\setup.exe /s /log C:\\l.txt", {u"C:\\A\\setup.exe"}},
      {u"\"C:\\Program Files\\A\\setup\" /s", {u"C:\\Program Files\\A\\setup.exe"}},
      {u"C:\\Kit.v2\\setup /s", {u"C:\\Kit.v2\\setup.exe"}},
      {u"Kit\\setup.exe", {u"Kit\\setup.exe"}},
      {u"\\Kit\\setup /s", {u"\\Kit\\setup.exe"}},
      {u"C:\\A\\..\\..\\B\\.\\x.exe", {u"C:\\B\\x.exe"}},
      {u"\\\\srv\\s\\..\\..\\x.exe", {u"\\\\srv\\s\\x.exe"}},
      {u"\\\\srv\\..\\x.exe", {u"\\\\srv\\..\\x.exe"}},
      {u"C:\\Tools\\msiexec.exe /i x.msi", {u"C:\\Tools\\msiexec.exe"}},
      {msiexec + u" /i Kit\\x.msi /qn /l*v C:\\x.log", {u"C:\\Work\\Kit\\x.msi"}},
      {u"c:\\windows\\SYSTEM32\\MSIEXEC /PACKAGE \"\\\\srv\\s\\a b.msi\" /quiet /qb!-",
       {u"\\\\srv\\s\\a b.msi"}},
      {u"C:\\WINDOWS\\SysWOW64\\msiexec.exe -p D:\\fix.msp REINSTALL=ALL /norestart",
       {u"D:\\fix.msp"}},
      {u"C:\\WINDOWS\\Sysnative\\msiexec.exe /update \"p1.msp;D:\\p2.msp\"",
       {u"C:\\Work\\p1.msp", u"D:\\p2.msp"}},
      {msiexec + u" /i D:\\x.msi TRANSFORMS=\"@t1.mst;:lang.mst;|D:\\t2.mst\" PATCH=D:\\p.msp",
       {u"D:\\x.msi", u"C:\\Work\\t1.mst", u"D:\\t2.mst", u"D:\\p.msp"}},
      // "c:x" is relative to drive C's current folder, which the current one is.
      {msiexec + u" /i c:x.msi", {u"C:\\Work\\x.msi"}},
      {msiexec + u" /i D:x.msi", {u"D:x.msi"}},
      // What installs, removes or loads without naming a file the list holds.
      {msiexec + u" /x " + code + u" /qn", {msiexec}, u"/x"},
      {msiexec + u" /i " + code, {msiexec}, u"/i " + code},
      {msiexec + u" /i", {msiexec}, u"/i"},
      {msiexec + u" /iC:\\x.msi /qn", {msiexec}, u"/iC:\\x.msi"},
      {msiexec + u" /a C:\\x.msi", {msiexec}, u"/a"},
      {msiexec + u" /fa C:\\x.msi", {msiexec}, u"/fa"},
      {msiexec + u" /jm C:\\x.msi", {msiexec}, u"/jm"},
      {msiexec + u" /y C:\\x.dll", {msiexec}, u"/y"},
      {msiexec + u" /i C:\\x.msi C:\\y.msi", {msiexec}, u"C:\\y.msi"},
      {msiexec + u" /qn /l*v", {msiexec}, u"/l*v"},
      {msiexec + u" /qn", {msiexec}, u"msiexec"},
  };
  for (const Case& c : cases) {
    WString refused = u"left over";
    EXPECT_EQ(c.files, InstallerFiles(c.handed, u"C:\\Work", u"C:\\WINDOWS\\system32", &refused))
        << Narrow(c.handed);
    EXPECT_EQ(c.refused, refused) << Narrow(c.handed);
  }
}

// One application through a pass, with the list at C:\Kit\list.sha256.
struct CheckedRun : OneAppRun {
  CheckedRun(const WString& settings, const WString& switches, const WString& app_path = u"C:\\Kit",
             const WString& ini = u"C:\\Kit\\in.ini")
      : OneAppRun(ini, settings, u"AppPath=" + app_path + u"\nAppSwitches=" + switches + u"\n") {
    platform.AddFile(u"C:\\Kit\\a.exe", "a");
    platform.AddFile(u"C:\\Kit\\b.exe", "b");
    platform.AddFile(u"C:\\Work\\x.msi", "a");
  }
};

std::string Cut(const std::string& text, const std::string& from, const std::string& to) {
  const size_t begin = text.find(from) == std::string::npos ? 0 : text.find(from) + from.size();
  return text.substr(begin, text.find(to, begin) - begin);
}

TEST(HashListRunTest, StartedOnlyWhenEveryFileIsListedAndMatches) {
  const WString msi = u"msiexec.exe /i x.msi /qn";
  struct Case {
    const char* what;
    WString settings;
    std::string list;  // "-": no list file
    WString switches;
    std::string told;     // before the first processing record
    std::string checked;  // between the start record and the end record
    WString app_path = u"C:\\Kit";
    WString ini = u"C:\\Kit\\in.ini";
    WString list_path = u"C:\\Kit\\list.sha256";
  };
  const std::string expected_a = "expected " + kHashA;
  const WString key = u"HashList=list.sha256\n";
  const Case cases[] = {
      {"no key", u"", kHashB + "  a.exe\n", u"a.exe /s", "", ""},
      {"listed", key, kHashA + "  a.exe\n", u"a.exe /s", "",
       "SHA-256 VERIFIED => C:\\Kit\\a.exe, line 1 of the list.\r\n"},
      {"full path", u"HashList=C:\\Kit\\list.sha256\n", "\n" + kHashA + " *C:/KIT/A.EXE\n",
       u"a.exe /s", "", "SHA-256 VERIFIED => C:\\Kit\\a.exe, line 2 of the list.\r\n"},
      {"changed", key, kHashA + "  b.exe\n", u"b.exe", "",
       "SHA-256 NOT VERIFIED => C:\\Kit\\b.exe: " + expected_a + ", found " + kHashB + ".\r\n"},
      {"not listed", key, kHashA + "  a.exe\nnonsense\n", u"B.exe",
       "SHA-256 LIST => C:\\Kit\\list.sha256, line 2, does not read.\r\n",
       "SHA-256 NOT VERIFIED => C:\\Kit\\B.exe: not in the list.\r\n"},
      {"no list", key, "-", u"a.exe /s",
       "SHA-256 LIST => Error reading C:\\Kit\\list.sha256: no installer is started.\r\n",
       "SHA-256 NOT VERIFIED => C:\\Kit\\a.exe: the hash list cannot be read.\r\n"},
      {"relative", key, kHashA + "  a.exe\n", u"a.exe /s", "",
       "SHA-256 NOT VERIFIED => Kit\\a.exe: not a full path, so Windows would search for it.\r\n",
       u"Kit"},
      {"missing", key, kHashA + "  gone.exe\n", u"gone.exe", "",
       "SHA-256 NOT VERIFIED => C:\\Kit\\gone.exe: " + expected_a + ", cannot be opened.\r\n"},
      {"through a junction", key, kHashA + "  Linked/a.exe\n", u"Linked\\a.exe", "",
       "SHA-256 NOT VERIFIED => C:\\Kit\\Linked\\a.exe: " + expected_a +
           ", reached through a junction or link.\r\n"},
      // Windows would start "C:\Kit\a", another file, for the "a.exe" checked.
      {"extensionless", key, kHashA + "  a.exe\n", u"a tag=x", "",
       "SHA-256 VERIFIED => C:\\Kit\\a.exe, line 1 of the list.\r\n"},
      {"twice", key, kHashA + "  a.exe\n" + kHashB + "  A.exe\n", u"a.exe /s", "",
       "SHA-256 NOT VERIFIED => C:\\Kit\\a.exe: listed twice with different hashes.\r\n"},
      {"package", key, kHashA + "  ../Work/x.msi\n", msi, "",
       "SHA-256 VERIFIED => C:\\Work\\x.msi, line 1 of the list.\r\n"},
      {"package changed", key, kHashB + "  ../Work/x.msi\n", msi, "",
       "SHA-256 NOT VERIFIED => C:\\Work\\x.msi: expected " + kHashB + ", found " + kHashA +
           ".\r\n"},
      {"first file refused", key, kHashA + "  ../Work/x.msi\n", u"msiexec.exe /i y.msi PATCH=x.msi",
       "", "SHA-256 NOT VERIFIED => C:\\Work\\y.msi: not in the list.\r\n"},
      {"msiexec removes", key, kHashA + "  ../Work/x.msi\n", u"msiexec.exe /x x.msi", "",
       "SHA-256 NOT VERIFIED => C:\\WINDOWS\\system32\\msiexec.exe: msiexec is told \"/x\", "
       "which the list does not check.\r\n"},
      {"root relative", key, kHashA + "  a.exe\n", u"a.exe /s", "",
       "SHA-256 NOT VERIFIED => \\Kit\\a.exe: not a full path, so Windows would search for "
       "it.\r\n",
       u"\\Kit"},
      // A list that does not resolve to a file is one that cannot be read.
      {"list on another drive", u"HashList=D:list.sha256\n", kHashA + "  a.exe\n", u"a.exe /s",
       "SHA-256 LIST => Error reading D:list.sha256: no installer is started.\r\n",
       "SHA-256 NOT VERIFIED => C:\\Kit\\a.exe: the hash list cannot be read.\r\n"},
      {"list a device", u"HashList=nul.txt\n", kHashA + "  a.exe\n", u"a.exe /s",
       "SHA-256 LIST => Error reading nul.txt: no installer is started.\r\n",
       "SHA-256 NOT VERIFIED => C:\\Kit\\a.exe: the hash list cannot be read.\r\n", u"C:\\Kit",
       u"C:\\Kit\\in.ini", u"C:\\Kit\\nul.txt"},
      // "D:in.ini" lies in drive D's own folder, not at the current drive's root.
      {"ini on another drive", key, kHashA + "  Kit\\a.exe\n", u"a.exe /s",
       "SHA-256 LIST => Error reading list.sha256: no installer is started.\r\n",
       "SHA-256 NOT VERIFIED => C:\\Kit\\a.exe: the hash list cannot be read.\r\n", u"C:\\Kit",
       u"D:in.ini", u"\\list.sha256"},
  };
  for (const Case& c : cases) {
    const WString app_path =
        c.switches.rfind(u"msiexec", 0) == 0 ? u"C:\\WINDOWS\\system32" : c.app_path;
    CheckedRun run(c.settings, c.switches, app_path, c.ini);
    if (c.list != "-") run.platform.AddFile(c.list_path, c.list);
    run.platform.current_directory = u"C:\\Work";
    run.platform.AddFile(u"C:\\Kit\\Linked\\a.exe", "a");
    run.platform.reparse_points.insert("C:\\KIT\\LINKED");
    run.platform.AddProgram(u"C:\\Kit\\a.exe /s", 0.5);
    run.platform.AddProgram(app_path + u"\\" + c.switches, 0.5);
    std::string at_start;  // the log as the installer finds it
    run.platform.OnStart(app_path + u"\\" + c.switches,
                         [&] { at_start = run.platform.FileBytes(u"C:\\R.LOG"); });
    const std::string records = run.Records();
    const bool verified = c.checked.rfind("SHA-256 VERIFIED", 0) == 0 || c.settings.empty();
    EXPECT_EQ(c.told, records.substr(0, records.find("Processing"))) << c.what;
    EXPECT_EQ(c.checked, Cut(records, "2026\r\n", "END  ::")) << c.what;
    EXPECT_EQ(verified ? 1u : 0u, run.platform.CallsNamed("StartProcess").size()) << c.what;
    EXPECT_NE(verified, records.find("Failed to launch the command.") != std::string::npos)
        << c.what;
    EXPECT_EQ(0, run.platform.held_files()) << c.what;
    EXPECT_EQ(verified, at_start.size() > c.checked.size() &&
                            at_start.compare(at_start.size() - c.checked.size(), c.checked.size(),
                                             c.checked) == 0)
        << c.what;
    // Nothing is held past the first file refused.
    for (const std::string& held : run.platform.CallsNamed("HoldAndHash")) {
      EXPECT_NE(std::string::npos, records.find(held.substr(held.find(' ') + 1))) << c.what;
    }
    // Without the key the calls are those of a run that never heard of it.
    EXPECT_EQ(c.settings.empty(), run.platform.CallsNamed("SystemFolder").empty()) << c.what;
    const bool msiexec = app_path == u"C:\\WINDOWS\\system32";
    if (!verified || c.settings.empty()) {
      EXPECT_EQ(u"", run.platform.last_request.program) << c.what;
      continue;
    }
    EXPECT_EQ(msiexec ? app_path + u"\\msiexec.exe" : u"C:\\Kit\\a.exe",
              run.platform.last_request.program)
        << c.what;
    if (msiexec) continue;
    // A folder swapped between the hash and the start: what started is
    // ended before it runs anything.
    CheckedRun swapped(c.settings, c.switches, app_path, c.ini);
    swapped.platform.AddFile(c.list_path, c.list);
    swapped.platform.AddProgram(app_path + u"\\" + c.switches, 0.5);
    swapped.platform.swapped_at_start["C:\\KIT\\A.EXE"] = u"C:\\Kit\\b.exe";
    const std::string told = swapped.Records();
    EXPECT_EQ(c.checked +
                  "SHA-256 NOT VERIFIED => C:\\Kit\\a.exe: the process started does not run "
                  "from the file checked.\r\n",
              Cut(told, "2026\r\n", "END  ::"))
        << c.what;
    EXPECT_NE(std::string::npos, told.find("Failed to launch the command.")) << c.what;
    EXPECT_TRUE(swapped.platform.CallsNamed("ResumeProcess").empty()) << c.what;
    EXPECT_EQ(1u, swapped.platform.CallsNamed("EndProcess").size()) << c.what;
    EXPECT_EQ(0, swapped.platform.open_process_handles()) << c.what;
  }
}

TEST(HashListRunTest, HeldFromBeforeTheHashUntilTheWaitIsOver) {
  CheckedRun run(u"HashList=list.sha256\n", u"a.exe /s");
  run.platform.AddFile(u"C:\\Kit\\list.sha256", kHashA + "  a.exe\n");
  run.platform.AddProgram(u"C:\\Kit\\a.exe /s", 0.5);
  bool written = true;
  run.platform.while_held = [&](const WString& path) {
    written = run.platform.WriteFile(path, "changed while it was checked");
  };
  run.Records();
  EXPECT_FALSE(written);
  EXPECT_EQ("a", run.platform.FileBytes(u"C:\\Kit\\a.exe"));
  std::vector<std::string> order;
  for (const std::string& call : run.platform.calls()) {
    for (const char* name : {"HoldAndHash", "StartProcess", "QueryExitCode", "ReleaseHeld"}) {
      if (call.rfind(name, 0) == 0) order.push_back(name);
    }
  }
  EXPECT_EQ(
      (std::vector<std::string>{"HoldAndHash", "StartProcess", "QueryExitCode", "ReleaseHeld"}),
      order);
  EXPECT_TRUE(run.platform.WriteFile(u"C:\\Kit\\a.exe", "after the wait"));

  // One that outlives its time may still read it: held until the program ends.
  CheckedRun slow(u"HashList=list.sha256\n", u"a.exe /s");
  slow.platform.AddFile(u"C:\\Kit\\list.sha256", kHashA + "  a.exe\n");
  slow.platform.AddProgram(u"C:\\Kit\\a.exe /s", 20);
  slow.context.MaxInstallTime = 10;
  EXPECT_NE(std::string::npos, slow.Records().find("did not finish in 10 seconds"));
  EXPECT_FALSE(slow.platform.WriteFile(u"C:\\Kit\\a.exe", "while it still runs"));
}

TEST(HashListRunTest, AFileThatCannotBeHashedIsNotStarted) {
  CheckedRun run(u"HashList=list.sha256\n", u"a.exe /s");
  run.platform.AddFile(u"C:\\Kit\\list.sha256", kHashA + "  a.exe\n");
  run.platform.AddProgram(u"C:\\Kit\\a.exe /s", 0.5);
  run.platform.FailOn("HashFile");
  EXPECT_NE(std::string::npos,
            run.Records().find("SHA-256 NOT VERIFIED => C:\\Kit\\a.exe: expected " + kHashA +
                               ", cannot be hashed.\r\nEND  ::"));
  EXPECT_TRUE(run.platform.CallsNamed("StartProcess").empty());
}

}  // namespace
}  // namespace quill
