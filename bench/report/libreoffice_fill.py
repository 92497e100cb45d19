#!/usr/bin/python3
"""The LibreOffice peer of the REPORT fill benchmark: starts LibreOffice headless, opens the
same template, makes room for the records in one row insert below the record row (the total
row moves down and its SUM grows, as in the variable fill), copies the record row's formats
over the new rows with an auto-fill, writes the query's rows into A2 onwards with one setDataArray, and saves
the result as .xlsx through the API. Dates and date-times become serial numbers, Nulls stay
empty, as in the fill.
    libreoffice_fill.py database template.xlsx output.xlsx "query" profile-folder
"""
import datetime
import os
import sqlite3
import subprocess
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException

EPOCH = datetime.datetime(1899, 12, 30)


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def cell_value(v):
    if v is None:
        return ""
    if isinstance(v, str):
        for fmt in ("%Y-%m-%d %H:%M:%S", "%Y-%m-%d"):
            try:
                delta = datetime.datetime.strptime(v, fmt) - EPOCH
                return delta.days + delta.seconds / 86400.0
            except ValueError:
                pass
        return v
    return float(v)


def connect(pipe, profile):
    office = subprocess.Popen(
        ["soffice", "-env:UserInstallation=file://" + os.path.abspath(profile), "--headless",
         "--invisible", "--nologo", "--norestore", "--nodefault",
         "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    # A loaded machine can take minutes to start it.
    deadline = time.monotonic() + 600
    while time.monotonic() < deadline:
        try:
            ctx = resolver.resolve(
                "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            return office, ctx
        except NoConnectException:
            time.sleep(0.05)
    office.kill()
    raise RuntimeError("LibreOffice did not start")


def main(database, template, output, query, profile):
    office, ctx = connect("brevant_bench_%d" % os.getpid(), profile)
    try:
        desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(template)),
                                           "_blank", 0, (prop("Hidden", True),))
        db = sqlite3.connect(database)
        rows = [tuple(cell_value(v) for v in r) for r in db.execute(query)]
        db.close()
        sheet = doc.Sheets.getByIndex(0)
        # The template reserves rows 2 and 3; the records start in row 2 (index 1).
        extra = max(0, len(rows) - 2)
        if extra:
            sheet.Rows.insertByIndex(2, extra)
            # The record row holds formats only: filling it down copies them.
            block = sheet.getCellRangeByPosition(0, 1, 9, len(rows))
            block.fillAuto(uno.Enum("com.sun.star.sheet.FillDirection", "TO_BOTTOM"), 1)
        if rows:
            sheet.getCellRangeByPosition(0, 1, 9, len(rows)).setDataArray(tuple(rows))
        doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(output)),
                       (prop("FilterName", "Calc Office Open XML"),))
        doc.close(True)
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        office.wait(timeout=60)


if __name__ == "__main__":
    main(*sys.argv[1:6])
