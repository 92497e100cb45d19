// Protected sheets as other programs see them: LibreOffice refuses typing into a protected cell
// and takes the password to unprotect it (checked through its own API, with the typing done by
// the same command a user's key presses run), and the salted hash recomputed independently.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/components/spreadsheet/application.h"
#include "engine/components/spreadsheet/workbook.h"
#include "spreadsheet_test_support.h"

namespace brevant {
namespace {

using testing::TempFolder;

// Starts a headless LibreOffice of its own and opens the workbook. For the sheet and password
// given, "refuse" tries a wrong password and then types into A1; "open" gives the right password,
// types again and closes the document. Only LibreOffice's refusal of the password counts as
// refused: after a refused edit LibreOffice 7.4 disposes of the document a moment later, so a
// later call could fail for that reason instead; the edit is therefore tried last and the document
// is not closed after it. Every session has its own copy of the workbook and its own profile: a
// session ended by a kill leaves a lock file beside the workbook and may leave the profile half
// written, and either can keep the next session from opening the workbook. The script leaves
// without the interpreter's clean-up, which can crash once the office is gone.
const char *kCheckInLibreOffice = R"PY(
import os, subprocess, sys, time, traceback, uno
from com.sun.star.beans import PropertyValue
from com.sun.star.lang import IllegalArgumentException
path, profile, index, password, mode = sys.argv[1:6]
# The password's bytes as given, whatever the locale's encoding.
password = os.fsencode(password).decode("utf-8")
pipe = "brevant_protect_%d" % os.getpid()
office = subprocess.Popen(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                           "--norestore", "--nologo", "--accept=pipe,name=%s;urp;" % pipe],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          start_new_session=True)
def prop(name, value):
    p = PropertyValue(); p.Name = name; p.Value = value
    return p
try:
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.monotonic() + 150
    while True:
        try:
            ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            break
        except Exception:
            if time.monotonic() > deadline or office.poll() is not None:
                raise
            time.sleep(0.1)
    smgr = ctx.ServiceManager
    desktop = smgr.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
    doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(path), "_blank", 0,
                                       (prop("Hidden", True),))
    if doc is None:
        raise RuntimeError("LibreOffice did not open " + path)
    dispatcher = smgr.createInstanceWithContext("com.sun.star.frame.DispatchHelper", ctx)
    controller = doc.getCurrentController()
    sheet = doc.Sheets.getByIndex(int(index))
    cell = sheet.getCellRangeByName("A1")
    def type_into():
        controller.setActiveSheet(sheet)
        controller.select(cell)
        dispatcher.executeDispatch(controller.getFrame(), ".uno:EnterString", "", 0,
                                   (prop("StringName", "typed"),))
        return cell.getString()
    if mode == "refuse":
        result = [sheet.Name, str(sheet.isProtected())]
        if password:
            try:
                sheet.unprotect("not the password")
                result.append("wrong password taken")
            except IllegalArgumentException:
                result.append("wrong password refused")
        result.append(type_into())
        print(" ".join(result), end=" ", flush=True)
    else:
        try:
            sheet.unprotect(password)
            refused = False
        except IllegalArgumentException:
            refused = True
        if refused:
            print("password refused", flush=True)
        else:
            print(sheet.isProtected(), type_into(), flush=True)
            doc.close(True)
    status = 0
except BaseException:
    traceback.print_exc()
    status = 1
finally:
    try:
        os.killpg(office.pid, 9)
    except ProcessLookupError:
        pass
    office.wait()
# Out at once: the bridge's objects would otherwise be released at the interpreter's exit, towards
# an office that is gone, and that can crash the Python bridge.
sys.stdout.flush()
sys.stderr.flush()
os._exit(status)
)PY";

class SheetProtection : public ::testing::Test {
protected:
  void SetUp() override {
    testing::runPython(tmp, "import openpyxl\nwb = openpyxl.Workbook()\nwb.active.title = 'Plain'\n"
                            "wb.create_sheet('Accents')\nws = wb.create_sheet('Open')\n"
                            "ws.protection.sheet = True\nws.protection.password = 'template'\n"
                            "wb.save(r'" +
                                tmp.file("t.xlsx") + "')\n");
    Workbook &wb = app.Workbooks().Open(tmp.file("t.xlsx"));
    for (int i = 1; i <= 3; ++i)
      wb.Worksheets(i).Range("A1").setValue(std::string("kept"));
    wb.Worksheets(1).Protect("Secret1");
    wb.Worksheets(2).Protect("Grüße€1");
    // The template's own protection and password give way to the report's.
    wb.Worksheets(3).Protect("");
    EXPECT_TRUE(wb.Worksheets(3).ProtectContents());
    wb.SaveAs(tmp.file("p.xlsx"), 51);
  }
  std::string protectionOf(const std::string &sheet) {
    return testing::runPython(
        tmp, "import re, zipfile\nx = zipfile.ZipFile(r'" + tmp.file("p.xlsx") +
                 "').read('xl/worksheets/" + sheet +
                 "').decode()\nprint(re.search('<sheetProtection[^>]*>', x).group(0))\n");
  }
  TempFolder tmp;
  Application app;
};

TEST_F(SheetProtection, LibreOfficeRefusesEditsUntilThePasswordIsGiven) {
  if (!testing::haveLibreOffice() ||
      std::system("/usr/bin/python3 -c 'import uno' > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "LibreOffice with its Python bridge is not installed";
  const std::string script = tmp.file("check.py");
  testing::writeBytes(script, kCheckInLibreOffice);
  std::string seen;
  int session = 0;
  for (const char *check : {"0 Secret1", "1 'Grüße€1'", "2 ''"}) {
    for (const char *mode : {"refuse", "open"}) {
      const std::string copy = tmp.file("p" + std::to_string(++session) + ".xlsx");
      std::filesystem::copy_file(tmp.file("p.xlsx"), copy);
      const std::string out = tmp.file("check.out");
      const std::string cmd = "timeout 240 /usr/bin/python3 " + script + " " + copy + " " +
                              tmp.file("uno-profile-" + std::to_string(session)) + " " + check +
                              " " + mode + " > " + out + " 2>&1";
      EXPECT_EQ(std::system(cmd.c_str()), 0) << testing::readBytes(out);
      seen += testing::readBytes(out);
    }
  }
  EXPECT_EQ(seen, "Plain True wrong password refused kept False typed\n"
                  "Accents True wrong password refused kept False typed\n"
                  "Open True kept False typed\n");
}

TEST_F(SheetProtection, PasswordsAreStoredAsTheirSaltedHashAndTheLegacyOneWhereItIsExact) {
  // The salted hash recomputed from the stored salt: SHA-512 over salt and UTF-16LE password,
  // then 100000 rounds with a little-endian counter.
  const char *verify = R"PY(
import base64, hashlib, re, sys, zipfile
book = zipfile.ZipFile(sys.argv[1])
for part, password in (("sheet1.xml", "Secret1"), ("sheet2.xml", "Grüße€1")):
    x = book.read("xl/worksheets/" + part).decode()
    attr = dict(re.findall(r'(\w+)="([^"]*)"', re.search("<sheetProtection[^>]*>", x).group(0)))
    d = hashlib.sha512(base64.b64decode(attr["saltValue"]) + password.encode("utf-16-le")).digest()
    for i in range(int(attr["spinCount"])):
        d = hashlib.sha512(d + i.to_bytes(4, "little")).digest()
    print(part, attr["algorithmName"], base64.b64encode(d).decode() == attr["hashValue"],
          attr.get("password"), len(base64.b64decode(attr["saltValue"])))
)PY";
  testing::writeBytes(tmp.file("verify.py"), verify);
  const std::string out = tmp.file("verify.out");
  ASSERT_EQ(std::system(("/usr/bin/python3 " + tmp.file("verify.py") + " " + tmp.file("p.xlsx") +
                         " > " + out + " 2>&1")
                            .c_str()),
            0)
      << testing::readBytes(out);
  // "Secret1" hashes to C266 in the 16-bit form; the accented password has none.
  EXPECT_EQ(testing::readBytes(out), "sheet1.xml SHA-512 True C266 16\n"
                                     "sheet2.xml SHA-512 True None 16\n");
  EXPECT_EQ(protectionOf("sheet3.xml"),
            "<sheetProtection sheet=\"1\" objects=\"1\" scenarios=\"1\"/>\n");
  // A fresh salt every time: the same password never gives the same stored hash.
  Workbook &wb = app.Workbooks().Open(tmp.file("p.xlsx"));
  wb.Worksheets(1).Protect("Secret1");
  wb.SaveAs(tmp.file("again.xlsx"), 51);
  const std::string first = protectionOf("sheet1.xml");
  testing::writeBytes(tmp.file("p.xlsx"), testing::readBytes(tmp.file("again.xlsx")));
  EXPECT_NE(protectionOf("sheet1.xml"), first);
}

} // namespace
} // namespace brevant
