"""Checks the corpus results the engine wrote (see corpus_test.cpp).

Usage: corpus_check.py LEVEL MANIFEST WORKFOLDER
Prints one line "DIFF<TAB>file<TAB>kind<TAB>detail" per difference found and a summary line.
"""

import datetime
import os
import re
import shutil
import subprocess
import sys
import time
import warnings
import zipfile

import openpyxl  # Debian's 3.0
import openpyxl.utils.datetime

warnings.simplefilter("ignore")

# Parts the engine writes itself on every save; all other parts must come back byte for byte.
REWRITTEN = [
    r"\[Content_Types\]\.xml",
    r"xl/workbook\.xml",
    r"xl/_rels/workbook\.xml\.rels",
    r"xl/worksheets/sheet\d+\.xml",
    r"xl/worksheets/_rels/sheet\d+\.xml\.rels",
    r"xl/sharedStrings\.xml",
]
START = time.time()
MAX_CELLS = 20000  # per sheet, to bound the run
LO_OPEN_STRIDE = 5  # level a: LibreOffice opens every 5th result (about a second each)


def diff(file, kind, detail=""):
    detail = str(detail).replace("\t", " ").replace("\n", " ")[:300]
    print(f"DIFF\t{file}\t{kind}\t{detail}", flush=True)


def part_class(name):
    return re.sub(r"\d+", "N", name)


def check_parts(file, orig, out):
    with zipfile.ZipFile(orig) as zo, zipfile.ZipFile(out) as zr:
        # Folder entries some writers add are not parts.
        names_o = {n for n in zo.namelist() if not n.endswith("/")}
        names_r = {n for n in zr.namelist() if not n.endswith("/")}
        for n in sorted(names_o - names_r):
            diff(file, "part-missing:" + part_class(n), n)
        for n in sorted(names_r - names_o):
            diff(file, "part-added:" + part_class(n), n)
        for n in sorted(names_o & names_r):
            if any(re.fullmatch(p, n, re.IGNORECASE) for p in REWRITTEN):
                continue
            if zo.read(n) != zr.read(n):
                diff(file, "part-changed:" + part_class(n), n)


def load(path):
    return openpyxl.load_workbook(path, data_only=False, keep_links=True)


def formula_text(v):
    return v


def style_key(cell):
    return (
        cell.number_format,
        repr(cell.font),
        repr(cell.fill),
        repr(cell.border),
        repr(cell.alignment),
        repr(cell.protection),
    )


def compare_cells(file, wo, wr, skip=()):
    """Every cell of every sheet equal in value, formula and style, except those in `skip`."""
    if wo.sheetnames != wr.sheetnames:
        diff(file, "sheets", f"{wo.sheetnames} != {wr.sheetnames}")
        return
    for so in wo.worksheets:
        sr = wr[so.title]
        seen = 0
        kinds = set()
        for row in so.iter_rows():
            for co in row:
                seen += 1
                if seen > MAX_CELLS:
                    break
                if (so.title, co.coordinate) in skip:
                    continue
                cr = sr[co.coordinate]
                if "value" not in kinds and formula_text(co.value) != formula_text(cr.value):
                    kind = "formula" if co.data_type == "f" or cr.data_type == "f" else "value"
                    if kind not in kinds:
                        diff(file, kind, f"{so.title}!{co.coordinate}: {co.value!r} != {cr.value!r}")
                        kinds.add(kind)
                if "style" not in kinds and co.has_style and style_key(co) != style_key(cr):
                    diff(file, "style", f"{so.title}!{co.coordinate}")
                    kinds.add("style")
        if sorted(map(str, so.merged_cells.ranges)) != sorted(map(str, sr.merged_cells.ranges)):
            diff(file, "merges", so.title)


def names_of(wb):
    out = {}
    for d in wb.defined_names.definedName:
        out[f"{d.localSheetId}:{d.name}"] = d.attr_text
    return out


def read_manifest(path):
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip()]


class LibreOffice:
    """A headless LibreOffice reached through its API, with a private profile."""

    def __init__(self, work):
        import uno  # noqa: F401  (python3-uno)

        self.pipe = f"brevant_corpus_{os.getpid()}"
        profile = "file://" + os.path.join(work, "lo-profile")
        self.proc = subprocess.Popen(
            ["soffice", f"-env:UserInstallation={profile}", "--headless", "--invisible",
             "--norestore", "--nologo", f"--accept=pipe,name={self.pipe};urp;"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        import uno

        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(120):
            try:
                ctx = resolver.resolve(
                    f"uno:pipe,name={self.pipe};urp;StarOffice.ComponentContext")
                break
            except Exception:
                time.sleep(0.5)
        else:
            raise RuntimeError("LibreOffice did not start")
        self.desktop = ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", ctx)

    @staticmethod
    def props(**kw):
        from com.sun.star.beans import PropertyValue

        out = []
        for k, v in kw.items():
            p = PropertyValue()
            p.Name, p.Value = k, v
            out.append(p)
        return tuple(out)

    def open(self, path):
        import uno

        return self.desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
            self.props(Hidden=True, ReadOnly=False, MacroExecutionMode=0))

    def save_xlsx(self, doc, path):
        import uno

        doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(path)),
                       self.props(FilterName="Calc Office Open XML"))

    def close(self):
        try:
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.proc.wait(timeout=30)
        except Exception:
            self.proc.kill()


def level_a(rows, work):
    results = []
    for row in rows:
        file, orig, out = row[0], row[1], row[2]
        if not out:
            continue
        check_parts(file, orig, out)
        try:
            wo = load(orig)
        except Exception:
            continue  # openpyxl cannot read the original: nothing to compare with
        try:
            wr = load(out)
        except Exception as e:
            diff(file, "openpyxl-error", e)
            continue
        compare_cells(file, wo, wr)
        if names_of(wo) != names_of(wr):
            diff(file, "names", f"{names_of(wo)} != {names_of(wr)}")
        results.append((file, out))
    print(f"openpyxl done in {time.time() - START:.0f} s")
    lo = LibreOffice(work)
    try:
        for file, out in results[::LO_OPEN_STRIDE]:
            try:
                doc = lo.open(out)
                if doc is None or doc.getSheets().getCount() < 1:
                    diff(file, "libreoffice-open", "no sheets")
                if doc is not None:
                    doc.close(True)
            except Exception as e:
                diff(file, "libreoffice-open", e)
    finally:
        lo.close()


TEXT = "corpus \u2713 _x0041_ line\r\nnext\x01"
# openpyxl 3.0 does not decode "_xHHHH_" escapes; it only drops the "x005F_" of an escaped
# underscore. This is how it reads TEXT as the file format writes it.
TEXT_AS_OPENPYXL_30_READS_IT = "corpus \u2713 _x0041_ line_x000D_\nnext_x0001_"


def level_b(rows, work):
    for row in rows:
        file, orig, out = row[0], row[1], row[2]
        if not out:
            continue
        cells = row[3].split() if len(row) > 3 else []
        try:
            wo = load(orig)
        except Exception:
            continue
        try:
            wr = load(out)
        except Exception as e:
            diff(file, "openpyxl-error", e)
            continue
        title = row[4] if len(row) > 4 and row[4] else wo.worksheets[0].title
        compare_cells(file, wo, wr, skip={(title, c) for c in cells})
        for i, c in enumerate(cells):
            cell = wr[title][c]
            got = cell.value
            want = TEXT_AS_OPENPYXL_30_READS_IT if i == 0 else 12345.5
            if isinstance(got, datetime.datetime) and cell.is_date:
                # A number in a cell of a date-formatted row or column shows as a date.
                got = openpyxl.utils.datetime.to_excel(got)
            if got != want and got != TEXT:
                diff(file, "filled-cell", f"{c}: {got!r} != {want!r}")
        if names_of(wo) != names_of(wr):
            diff(file, "names", "")


def norm_formula(f):
    f = str(f).lstrip("=").upper().replace(" ", "").replace("'", "")
    return re.sub(r"_XL(FN|WS)\.", "", f)


def features(path):
    """What level c compares, per kind: a hashable description of the whole workbook."""
    wb = load(path)
    out = {k: [] for k in ("formulas", "names", "merges", "validations", "conditional-formats",
                           "hyperlinks", "notes", "tables", "filters", "breaks", "anchors",
                           "chart-series")}
    for n, v in sorted(names_of(wb).items()):
        out["names"].append((n, norm_formula(v)))
    for ws in wb.worksheets:
        t = ws.title
        seen = 0
        for row in ws.iter_rows():
            for c in row:
                seen += 1
                if seen > MAX_CELLS:
                    break
                if c.data_type == "f":
                    out["formulas"].append((t, c.coordinate, norm_formula(c.value)))
                if c.hyperlink is not None:
                    out["hyperlinks"].append((t, c.coordinate))
                if c.comment is not None:
                    out["notes"].append((t, c.coordinate))
        out["merges"] += [(t, str(r)) for r in ws.merged_cells.ranges]
        out["validations"] += [(t, str(dv.sqref)) for dv in ws.data_validations.dataValidation]
        out["conditional-formats"] += [(t, str(cf.sqref)) for cf in ws.conditional_formatting]
        out["tables"] += [(t, tb.ref) for tb in ws.tables.values()]
        if ws.auto_filter and ws.auto_filter.ref:
            out["filters"].append((t, ws.auto_filter.ref))
        out["breaks"] += [(t, b.id) for b in ws.row_breaks.brk]
        for obj in list(getattr(ws, "_images", [])) + list(getattr(ws, "_charts", [])):
            a = getattr(obj.anchor, "_from", None)
            if a is not None:
                out["anchors"].append((t, a.row, a.col))
        for ch in getattr(ws, "_charts", []):
            for s in ch.series:
                ref = s.val.numRef.f if s.val is not None and s.val.numRef is not None else None
                if ref:
                    out["chart-series"].append((t, norm_formula(ref)))
    return {k: sorted(map(repr, v)) for k, v in out.items()}


def level_c(rows, work):
    lo = LibreOffice(work)
    try:
        for row in rows:
            file, orig, out = row[0], row[1], row[2]
            if not out:
                continue
            record, first, last, count = (int(x) for x in row[3:7])
            base = os.path.join(work, "lo_base_" + os.path.basename(out))
            theirs = os.path.join(work, "lo_c_" + os.path.basename(out))
            # LibreOffice works on a copy: it leaves lock files beside what it opens.
            copy = os.path.join(work, "orig_" + os.path.basename(out))
            shutil.copyfile(orig, copy)
            doc = None
            try:
                doc = lo.open(copy)
                lo.save_xlsx(doc, base)
                sheet = doc.getSheets().getByIndex(0)
                sheet.getRows().insertByIndex(record, count)
                src = sheet.getCellRangeByPosition(first - 1, record - 1, last - 1,
                                                   record - 1).getRangeAddress()
                for k in range(1, count + 1):
                    dest = sheet.getCellByPosition(first - 1, record - 1 + k).getCellAddress()
                    sheet.copyRange(dest, src)
                lo.save_xlsx(doc, theirs)
            except Exception as e:
                diff(file, "libreoffice-error", e)
                continue
            finally:
                if doc is not None:
                    doc.close(True)
            try:
                fo, fb = features(orig), features(base)
                fe, fl = features(out), features(theirs)
            except Exception as e:
                diff(file, "openpyxl-error", e)
                continue
            for kind in fe:
                # What LibreOffice cannot carry through its own round trip is not compared.
                if fo[kind] != fb[kind]:
                    continue
                if fe[kind] != fl[kind]:
                    ours = sorted(set(fe[kind]) - set(fl[kind]))[:3]
                    lib = sorted(set(fl[kind]) - set(fe[kind]))[:3]
                    diff(file, "c-" + kind, f"ours {ours} libreoffice {lib}")
    finally:
        lo.close()


def main():
    level, manifest, work = sys.argv[1], sys.argv[2], sys.argv[3]
    rows = read_manifest(manifest)
    start = START
    {"a": level_a, "b": level_b, "c": level_c}[level](rows, work)
    print(f"checked level {level}: {len(rows)} files in {time.time() - start:.0f} s")


if __name__ == "__main__":
    main()
