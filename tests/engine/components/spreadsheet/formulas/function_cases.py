#!/usr/bin/env python3
"""Workbooks of worksheet-function cases for the differential test against LibreOffice.

  function_cases.py generate OUT.xlsx   writes the fixture data and the cases
  function_cases.py read BOOK.xlsx OUT  writes the computed values of the cases, one a line:
                                        row <TAB> function <TAB> kind <TAB> value

The sheet "Cases" holds one case a row: A the function under test, B the formula, C its text.
The sheet "Data" holds the cells the cases read: numbers, text that looks like numbers, empty
cells, errors, dates, sorted lookup tables and hidden rows.
"""
import datetime
import itertools
import re
import sys

import xml.etree.ElementTree as ET
import zipfile

import openpyxl

# Functions stored with the "_xlfn." prefix in the file.
FUTURE = ["IFS", "SWITCH", "XOR", "IFNA", "CONCAT", "TEXTJOIN", "XLOOKUP", "XMATCH", "MAXIFS",
          "MINIFS", "STDEV.S", "STDEV.P", "VAR.S", "VAR.P", "AGGREGATE", "RANK.EQ"]


def prefixed(formula):
    for name in sorted(FUTURE, key=len, reverse=True):
        formula = re.sub(r"(?<![A-Z._])" + re.escape(name) + r"\(", "_xlfn." + name + "(",
                         formula)
    return formula


def write_data(ws):
    numbers = [3, -2.5, 10, 0, 7.25, -8, 100, 1.5, 42, 5]
    mixed = [4, "7", None, True, -1.5, "abc", 2, None, 0.5, "=\"\""]
    texts = ["apple", "Banana", "apricot", "cherry", "a*b", "date", "Apple pie", "12", "berry",
             "?x"]
    errors = [1, "=1/0", "=NA()", 3, "=\"x\"+1"]
    dates = [datetime.date(2024, 1, 15), datetime.date(2024, 2, 29), datetime.date(2023, 12, 31),
             datetime.date(1900, 3, 1), datetime.date(2000, 1, 1), datetime.date(2024, 12, 31),
             datetime.date(2021, 6, 30), datetime.date(2024, 3, 31), datetime.date(1999, 12, 31),
             datetime.date(2024, 7, 4)]
    sorted_numbers = [1, 3, 5, 7, 9, 11, 13, 15, 17, 19]
    labels = ["r%d" % (i + 1) for i in range(10)]
    sorted_texts = ["alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel",
                    "india", "juliet"]
    for i in range(10):
        ws.cell(i + 1, 1, numbers[i])
        if mixed[i] is not None:
            ws.cell(i + 1, 2, mixed[i])
        ws.cell(i + 1, 3, texts[i])
        if i < len(errors):
            ws.cell(i + 1, 4, errors[i])
        c = ws.cell(i + 1, 5, dates[i])
        c.number_format = "yyyy-mm-dd"
        ws.cell(i + 1, 6, sorted_numbers[i])
        ws.cell(i + 1, 7, labels[i])
        ws.cell(i + 1, 8, sorted_texts[i])
        # A horizontal table for HLOOKUP: J1:S1 keys, J2:S2 labels, J3:S3 numbers.
        ws.cell(1, 10 + i, sorted_numbers[i])
        ws.cell(2, 10 + i, labels[i])
        ws.cell(3, 10 + i, numbers[i])
    # Holidays and times.
    ws["E12"] = datetime.date(2024, 1, 1)
    ws["E13"] = datetime.date(2024, 7, 4)
    ws["E14"] = datetime.date(2024, 12, 25)
    for cell in ("E12", "E13", "E14"):
        ws[cell].number_format = "yyyy-mm-dd"
    ws["F12"] = 0.75
    ws["F13"] = 0.3333333333
    ws["F14"] = 45366.5208333333
    # SUBTOTAL data: K1:K5 with rows 2 and 3 hidden, K6 a SUBTOTAL of them.
    for i, v in enumerate([1, 2, 4, 8, 16]):
        ws.cell(21 + i, 11, v)
    ws["K26"] = "=SUBTOTAL(9,K21:K25)"
    ws["L21"] = "x"
    ws["L22"] = 5
    ws.row_dimensions[22].hidden = True
    ws.row_dimensions[23].hidden = True
    ws["K27"] = "=1/0"
    # Mixed-type sorted column for approximate lookups: numbers then texts.
    for i, v in enumerate([2, 4, 6, "b", "d", "f"]):
        ws.cell(31 + i, 1, v)


# Pools of arguments. "Data!B3" and "Data!B8" are empty, "Data!B2" is the text "7", "Data!D2"
# is #DIV/0!, "Data!D3" #N/A, "Data!B4" TRUE, "Data!B10" an empty text.
NUM = ["3", "-2.5", "0", "1.5", "\"7\"", "Data!B3", "TRUE", "Data!D2", "\"abc\"", "Data!A5",
       "-0.5", "1E+3", "Data!B2", "2.675", "-7.5", "0.1+0.2", "Data!B4", "Data!D3", "123456.789",
       "Data!B10", "\" 12 \"", "\"50%\"", "Data!E1"]
SMALL = ["0", "1", "2", "-1", "-2", "0.5", "\"1\"", "Data!B3", "TRUE", "Data!D2", "3", "-0.7"]
SIGNED = ["2.5", "-2.5", "6", "-6", "0", "0.3", "7", "-7", "1E+10", "\"4\""]
MULT = ["1", "2", "-2", "0.1", "0", "3", "-1", "0.5", "Data!B3"]

AGG_ARGS = ["Data!A1:A10", "Data!B1:B10", "Data!A1:B10", "Data!D1:D2", "Data!D1",
            "Data!A1:A10,\"5\"", "1,2,3", "{1,2,\"3\",TRUE}", "Data!C1:C10",
            "Data!B1:B10,TRUE", "Data!E1:E5", "Data!A1,Data!A3,-4", "Data!B3", "Data!A:A",
            "\"abc\"", "Data!D3:D4", "0.1,0.2", "-1,-2", "Data!B1:B10,Data!A1:A10", "Data!B3,5",
            "Data!F1:F10", "Data!A1:A3,,4", "2.5"]

CRITERIA = ["\">5\"", "\"<0\"", "\"apple\"", "\"a*\"", "\"?pple\"", "\"<>apple\"", "\"\"", "\"=\"",
            "\"<>\"", "\"7\"", "7", "\">=2024-01-01\"", "Data!C8", "\"*e*\"", "\"~?x\"",
            "\"<b\"", "TRUE", "\"#DIV/0!\"", "Data!B3", "\">\"&Data!A1", "\"<=1.5\"",
            "\"a~*b\"", "\"12\"", "\">=abc\"", "\"<>7\"", "\"*\""]
CRIT_RANGES = ["Data!A1:A10", "Data!B1:B10", "Data!C1:C10", "Data!D1:D5", "Data!E1:E10"]

TEXT = ["\"Hello World\"", "\"  padded   text  \"", "Data!C1", "Data!C7", "12.5", "TRUE",
        "Data!B3", "\"\"", "Data!D2", "\"ÄÖÜ straße\"", "\"a-b c_d\"", "-3", "\"MiXeD cAsE\"",
        "Data!C5", "\"x\"", "1E+20", "\"o'neil mc-donald\"", "Data!B10", "\"😀 smile\"",
        "\"1,234\"", "0.1+0.2"]
COUNTS = ["0", "1", "2", "5", "-1", "2.9", "\"3\"", "Data!B3", "100", "TRUE"]

DATES = ["Data!E1", "Data!E2", "Data!E3", "Data!E4", "Data!E5", "Data!E6", "Data!E7",
         "Data!E8", "Data!E9", "Data!E10", "0", "1", "59", "60", "61", "366", "\"2024-03-15\"",
         "\"3/15/2024\"", "-1", "Data!F14", "Data!B3", "\"abc\"", "Data!D2", "45366.75",
         "2958465"]
TIMES = ["Data!F12", "Data!F13", "Data!F14", "0", "0.5", "0.999999", "\"13:45\"",
         "\"6:30 PM\"", "1.25", "-0.5", "\"abc\"", "Data!B3", "0.0000115740740740741",
         "\"12:00:59\"", "45366.5208333", "0.041666666", "Data!D3", "TRUE", "0.75", "0.2",
         "\"2024-03-15 08:05:09\""]


def cases():
    out = []

    def add(function, formula):
        out.append((function, formula))

    def combos(function, pools, limit=26, fmt=None):
        count = 0
        for args in itertools.product(*pools):
            add(function, fmt(*args) if fmt else "=%s(%s)" % (function, ",".join(args)))
            count += 1
            if count >= limit:
                break

    def cycle(function, pools, n=24):
        # n cases taking the pools' items in turn, so each pool is seen whole.
        for i in range(n):
            args = [p[i % len(p)] for p in pools]
            add(function, "=%s(%s)" % (function, ",".join(args)))

    for f in ["INT", "ABS", "SIGN", "SQRT"]:
        cycle(f, [NUM], len(NUM))
    add("TRUNC", "=TRUNC(-8.9)")
    for f in ["ROUND", "ROUNDUP", "ROUNDDOWN", "TRUNC"]:
        cycle(f, [NUM, SMALL], 24)
    cycle("MOD", [SIGNED + NUM[:12], ["3", "-3", "2", "0.2", "0", "-0.5", "\"2\"", "Data!B3", "7",
                                      "TRUE", "Data!D2", "1.5", "-7"]], 26)
    cycle("POWER", [["2", "-8", "0", "4", "-4", "1.5", "\"3\"", "Data!B3", "10", "-2", "0.5",
                     "Data!D2", "TRUE"], ["3", "0.5", "0", "-1", "1/3", "2", "-0.5", "Data!B3",
                                          "\"2\"", "10", "1.5"]], 26)
    for f in ["CEILING", "FLOOR"]:
        cycle(f, [SIGNED + ["2.675", "-0.05", "\"3.3\"", "Data!D2", "Data!B3"], MULT], 26)
    cycle("MROUND", [SIGNED + ["1.3", "-1.3", "Data!D2", "\"8\"", "Data!B3"], MULT], 26)

    for f in ["SUM", "AVERAGE", "COUNT", "COUNTA", "MIN", "MAX", "PRODUCT", "MEDIAN", "STDEV",
              "STDEV.S", "STDEV.P", "VAR"]:
        for a in AGG_ARGS:
            add(f, "=%s(%s)" % (f, a))
    for a in ["Data!A1:A10", "Data!B1:B10", "Data!B1:C10", "Data!A1:E10", "Data!B3", "Data!B10",
              "Data!D1:D5", "Data!A11:A20", "Data!B2:B4", "Data!B8:B10", "Data!A1", "Data!G1:H10",
              "Data!K21:K27", "Data!A30:A40", "Data!B1:B3", "Data!E1:E14", "Data!F12:F20",
              "Data!B9:B10", "Data!C1:D10", "Data!A1:A1", "Data!B5:B8"]:
        add("COUNTBLANK", "=COUNTBLANK(%s)" % a)
    for arr in ["Data!A1:A10", "Data!B1:B10", "{5,1,3,2}", "Data!F1:F10", "Data!E1:E10"]:
        for k in ["1", "2", "3", "0", "11", "\"2\"", "1.5"]:
            add("LARGE", "=LARGE(%s,%s)" % (arr, k))
            add("SMALL", "=SMALL(%s,%s)" % (arr, k))
    for n in ["3", "10", "-8", "100", "4", "42", "1.5", "Data!A1", "\"3\"", "0"]:
        for order in ["", ",0", ",1"]:
            add("RANK", "=RANK(%s,Data!A1:A10%s)" % (n, order))
    add("RANK", "=RANK(2,Data!B1:B10)")

    for rng in CRIT_RANGES:
        for c in CRITERIA:
            add("COUNTIF", "=COUNTIF(%s,%s)" % (rng, c))
    for c in CRITERIA:
        add("SUMIF", "=SUMIF(Data!C1:C10,%s,Data!A1:A10)" % c)
        add("SUMIF", "=SUMIF(Data!A1:A10,%s)" % c)
        add("AVERAGEIF", "=AVERAGEIF(Data!C1:C10,%s,Data!A1:A10)" % c)
        add("AVERAGEIF", "=AVERAGEIF(Data!B1:B10,%s,Data!A1:A10)" % c)
        add("SUMIFS", "=SUMIFS(Data!A1:A10,Data!C1:C10,%s,Data!A1:A10,\">-5\")" % c)
        add("COUNTIFS", "=COUNTIFS(Data!C1:C10,%s,Data!B1:B10,\"<>\")" % c)
        add("AVERAGEIFS", "=AVERAGEIFS(Data!A1:A10,Data!C1:C10,%s)" % c)
        add("MAXIFS", "=MAXIFS(Data!A1:A10,Data!C1:C10,%s)" % c)
        add("MINIFS", "=MINIFS(Data!A1:A10,Data!B1:B10,%s)" % c)
    add("SUMIF", "=SUMIF(Data!C1:C10,\"a*\",Data!A1)")
    add("SUMIFS", "=SUMIFS(Data!A1:A10,Data!C1:C9,\"a*\")")
    add("SUMIF", "=SUMIF(Data!D1:D5,\"<>1\",Data!A1:A5)")
    add("SUMIF", "=SUMIF(Data!A1:A5,\">0\",Data!D1:D5)")

    spa = ["Data!A1:A10,Data!F1:F10", "Data!A1:A10,Data!B1:B10", "Data!A1:A10",
           "{1,2,3},{4,5,6}", "{1;2},{3;4}", "Data!A1:A10,Data!F1:F9", "Data!A1:B3,Data!F1:G3",
           "(Data!A1:A10>0)*1,Data!F1:F10", "--(Data!C1:C10=\"apple\"),Data!A1:A10",
           "Data!A1:A5,Data!D1:D5", "Data!C1:C10,Data!A1:A10", "{1,\"2\",TRUE},{1,1,1}",
           "(Data!A1:A10>5)*(Data!F1:F10<15)", "Data!E1:E3,{1;1;1}", "Data!B1:B10*1",
           "Data!F1:F10*Data!F1:F10", "Data!A1:A10/Data!F1:F10", "(Data!A1:A10=0)*1",
           "Data!J1:S1,Data!J3:S3", "2", "Data!A1:A10+0,Data!F1:F10", "LEN(Data!C1:C10)"]
    for a in spa:
        add("SUMPRODUCT", "=SUMPRODUCT(%s)" % a)

    for fn in list(range(1, 12)) + list(range(101, 112)):
        add("SUBTOTAL", "=SUBTOTAL(%d,Data!K21:K26)" % fn)
    for fn in [9, 109, 3, 103, 2]:
        add("SUBTOTAL", "=SUBTOTAL(%d,Data!K21:L25)" % fn)
    add("SUBTOTAL", "=SUBTOTAL(9,Data!K21:K27)")
    add("SUBTOTAL", "=SUBTOTAL(12,Data!K21:K25)")
    for fn in range(1, 14):
        for opt in [0, 3, 4, 5, 6]:
            add("AGGREGATE", "=AGGREGATE(%d,%d,Data!K21:K27)" % (fn, opt))
    for fn in range(14, 20):
        for opt in [0, 6]:
            add("AGGREGATE", "=AGGREGATE(%d,%d,Data!K21:K26,2)" % (fn, opt))

    conds = ["TRUE", "FALSE", "1", "0", "\"TRUE\"", "\"abc\"", "Data!B3", "Data!D2", "Data!A1>5",
             "Data!C1=\"APPLE\"", "-1", "Data!B4", "Data!B2", "0.0001", "Data!A4"]
    for c in conds:
        add("IF", "=IF(%s,\"yes\",\"no\")" % c)
        add("NOT", "=NOT(%s)" % c)
    for c in ["\"FALSE\"", "Data!C1", "{0,1}", "Data!B10", "2=2"]:
        add("NOT", "=NOT(%s)" % c)
    add("IF", "=IF(FALSE,1)")
    add("IF", "=IF(TRUE,,2)")
    add("IF", "=IF(Data!A1>0,Data!D2,1)")
    add("IF", "=IF(Data!A1<0,Data!D2,1)")
    add("IF", "=SUM(IF(TRUE,Data!A1:A3,0))")
    add("IF", "=IF(TRUE,Data!B3)")
    logic_sets = ["TRUE,FALSE", "TRUE,TRUE", "1,0", "Data!A1:A10", "Data!B1:B10", "Data!C1:C10",
                  "Data!D1:D3", "\"TRUE\",1", "\"abc\"", "Data!B3", "0,0", "{TRUE,FALSE,TRUE}",
                  "Data!A4,Data!B4", "Data!A1>5,Data!A2>5", "TRUE,TRUE,TRUE", "FALSE",
                  "Data!B4,Data!C1", "1,1,1,0", "Data!A1:A2,FALSE", "Data!B1:B3,0",
                  "Data!B2", "-1"]
    for f in ["AND", "OR", "XOR"]:
        for s in logic_sets:
            add(f, "=%s(%s)" % (f, s))
    for v in ["Data!D2", "Data!D3", "Data!D5", "1", "\"x\"", "Data!B3", "1/0", "NA()",
              "Data!A1:A3", "SQRT(-1)", "VLOOKUP(99,Data!F1:G10,2,FALSE)", "\"#N/A\"", "TRUE",
              "Data!B10", "Data!A1", "Data!D1", "Data!D4", "0/0", "\"\"", "-5", "#REF!",
              "#NAME?"]:
        add("IFERROR", "=IFERROR(%s,\"alt\")" % v)
        add("IFNA", "=IFNA(%s,\"alt\")" % v)
        add("ISERROR", "=ISERROR(%s)" % v)
        add("ISERR", "=ISERR(%s)" % v)
        add("ISNA", "=ISNA(%s)" % v)
    for args in ["FALSE,1,TRUE,2", "Data!A1>5,\"big\",Data!A1>0,\"small\"", "FALSE,1",
                 "Data!D2,1,TRUE,2", "TRUE,Data!D3", "1,\"one\"", "0,1,1,2", "\"abc\",1",
                 "Data!B3,1,TRUE,0", "Data!B4,\"b4\"", "FALSE,1,FALSE,2,TRUE,3",
                 "Data!A1=3,\"three\"", "Data!C1=\"Apple\",\"fruit\"", "-1,\"neg\"",
                 "\"TRUE\",1", "Data!A2<0,Data!A2", "FALSE,1,FALSE,2", "TRUE,,FALSE,1",
                 "Data!B2=\"7\",\"text seven\"", "0.5,\"half\"", "Data!A4,1,TRUE,2"]:
        add("IFS", "=IFS(%s)" % args)
    for args in ["2,1,\"one\",2,\"two\"", "3,1,\"one\",2,\"two\",\"other\"", "3,1,\"one\"",
                 "\"b\",\"A\",1,\"B\",2", "Data!A1,3,\"three\",\"no\"", "Data!D2,1,2,3",
                 "1,\"1\",\"text\",1,\"num\"", "TRUE,1,\"one\",TRUE,\"true\"",
                 "Data!B3,0,\"zero\",\"\",\"empty\",\"none\"", "Data!C1,\"APPLE\",\"caps\"",
                 "2,1,Data!D2,2,\"ok\"", "1.5,1.5,\"x\"", "Data!B2,7,\"num\",\"7\",\"txt\"",
                 "\"\",\"\",\"empty\"", "5,1,1,2,2,3,3,4,4,5,5", "0,FALSE,\"f\",0,\"z\"",
                 "Data!A2,-2.5,\"neg\"", "10,Data!A3,\"ten\"", "\"x\",\"y\",1,\"x\",2,3",
                 "Data!B4,1,\"one\",\"d\"", "-1,-1,\"m\""]:
        add("SWITCH", "=SWITCH(%s)" % args)
    for i in range(20):
        add("TRUE", "=TRUE()" if i % 2 == 0 else "=IF(TRUE()," + str(i) + ",0)")
        add("FALSE", "=FALSE()" if i % 2 == 0 else "=IF(FALSE(),0," + str(i) + ")")

    vkeys = ["5", "6", "0", "19", "20", "1", "\"7\"", "Data!B3", "10.5", "-1", "Data!D2", "7",
             "\"r1\"", "TRUE", "18.999", "3"]
    for k in vkeys:
        for mode in ["TRUE", "FALSE"]:
            add("VLOOKUP", "=VLOOKUP(%s,Data!F1:G10,2,%s)" % (k, mode))
            add("HLOOKUP", "=HLOOKUP(%s,Data!J1:S2,2,%s)" % (k, mode))
    for k in ["\"charlie\"", "\"CHARLIE\"", "\"c*\"", "\"?olf\"", "\"zulu\"", "\"a\"", "\"hotel\"",
              "\"h*\"", "\"~*\"", "\"india\""]:
        add("VLOOKUP", "=VLOOKUP(%s,Data!H1:H10,1,FALSE)" % k)
        add("VLOOKUP", "=VLOOKUP(%s,Data!H1:H10,1,TRUE)" % k)
        add("MATCH", "=MATCH(%s,Data!H1:H10,0)" % k)
        add("MATCH", "=MATCH(%s,Data!H1:H10,1)" % k)
        add("XMATCH", "=XMATCH(%s,Data!H1:H10)" % k)
        add("XMATCH", "=XMATCH(%s,Data!H1:H10,2)" % k)
    for bad in ["0", "3", "-1", "\"2\"", "1.9"]:
        add("VLOOKUP", "=VLOOKUP(5,Data!F1:G10,%s,TRUE)" % bad)
        add("HLOOKUP", "=HLOOKUP(5,Data!J1:S2,%s,FALSE)" % bad)
    add("VLOOKUP", "=VLOOKUP(4,Data!A31:A36,1,TRUE)")
    add("VLOOKUP", "=VLOOKUP(\"c\",Data!A31:A36,1,TRUE)")
    add("HLOOKUP", "=HLOOKUP(\"r3\",Data!J2:S3,2,FALSE)")
    for k in vkeys:
        for t in ["1", "0", "-1"]:
            rng = "Data!F1:F10" if t != "-1" else "{19,17,15,13,11,9,7,5,3,1}"
            add("MATCH", "=MATCH(%s,%s,%s)" % (k, rng, t))
        add("XMATCH", "=XMATCH(%s,Data!F1:F10,-1)" % k)
        add("XMATCH", "=XMATCH(%s,Data!F1:F10,1)" % k)
        add("XLOOKUP", "=XLOOKUP(%s,Data!F1:F10,Data!G1:G10)" % k)
        add("XLOOKUP", "=XLOOKUP(%s,Data!F1:F10,Data!G1:G10,\"none\",-1)" % k)
        add("XLOOKUP", "=XLOOKUP(%s,Data!F1:F10,Data!G1:G10,\"none\",1)" % k)
        add("LOOKUP", "=LOOKUP(%s,Data!F1:F10,Data!G1:G10)" % k)
        add("LOOKUP", "=LOOKUP(%s,Data!F1:G10)" % k)
    add("XLOOKUP", "=XLOOKUP(\"b*\",Data!H1:H10,Data!F1:F10,,2)")
    add("XLOOKUP", "=XLOOKUP(7,Data!F1:F10,Data!G1:G10,,0,-1)")
    add("XLOOKUP", "=XLOOKUP(8,Data!F1:F10,Data!G1:G10,,-1,2)")
    add("XLOOKUP", "=XLOOKUP(5,Data!J1:S1,Data!J2:S2)")
    add("XMATCH", "=XMATCH(8,Data!F1:F10,1,2)")
    add("XMATCH", "=XMATCH(3,{1,3,3,5},0,-1)")

    for args in ["Data!A1:A10,3", "Data!A1:B10,2,2", "Data!A1:B10,11,1", "Data!A1:B10,1,3",
                 "Data!J1:S1,4", "{1,2;3,4},2,1", "{1,2;3,4},2,2", "{1,2,3},2",
                 "Data!A1:A10,0", "Data!A1:A10,-1", "Data!F1:G10,\"3\",2", "Data!F1:G10,Data!B3+1,2",
                 "Data!F1:G10,Data!D2,1", "Data!A1:E10,10,5", "Data!C1:C10,7",
                 "(Data!A1:A2,Data!F1:F2),2,1,2", "(Data!A1:A2,Data!F1:F2),1,1,3",
                 "Data!H1:H10,1.9", "Data!A1:A10,10,1", "Data!J1:S3,3,10"]:
        add("INDEX", "=INDEX(%s)" % args)
    add("INDEX", "=SUM(INDEX(Data!A1:B10,0,2))")
    add("INDEX", "=SUM(Data!A1:INDEX(Data!A1:A10,3))")
    for args in ["1,\"a\",\"b\",\"c\"", "3,\"a\",\"b\",\"c\"", "4,\"a\",\"b\"", "0,1,2",
                 "2.9,1,2,3", "\"2\",1,2", "Data!B3,1", "Data!D2,1", "TRUE,\"t\"", "-1,1",
                 "2,Data!A1,Data!A2", "1,Data!D2,2", "2,Data!D2,2", "3,1,2,3,4,5",
                 "1,Data!C1", "2,TRUE,FALSE", "1,{1,2}", "1.5,\"x\",\"y\"",
                 "Data!A1,\"a\",\"b\",\"c\"", "Data!B4,\"yes\""]:
        add("CHOOSE", "=CHOOSE(%s)" % args)
    add("CHOOSE", "=SUM(CHOOSE(2,Data!A1:A3,Data!F1:F3))")

    for args in ["Data!A1,1,0", "Data!A1,0,1", "Data!A1,2,5", "Data!A1:A3,1,0", "Data!A3,-2,0",
                 "Data!A1,-1,0", "Data!A1,0,-1", "Data!F1,0,0,3", "Data!F1,1,0,3,2",
                 "Data!F1,0,0,0", "Data!F1,\"1\",0", "Data!A1,Data!B3,1", "Data!A1,Data!D2,0",
                 "Data!F1,9,0", "Data!A1,0,0,1,1", "Data!A10,-9,0", "Data!F3,0,0,-2",
                 "Data!A1,1048576,0", "Data!C1,4,0", "Data!F1:G1,1,0,1,2"]:
        add("OFFSET", "=SUM(OFFSET(%s))" % args if "," in args else "")
    add("OFFSET", "=OFFSET(Data!C1,2,0)")
    for args in ["\"Data!A1\"", "\"Data!A3\"", "\"Data!F1:F10\"", "\"Data!\"&\"A\"&2",
                 "\"Nope!A1\"", "\"A1A\"", "\"Data!B2\"", "\"Data!D2\"", "\"'Data'!A5\"",
                 "\"Data!\"&ADDRESS(2,1)", "\"Data!A1:A3\"", "\"\"", "Data!C1",
                 "\"Data!H3\"", "\"data!a1\"", "\"Data!$F$2\"", "\"Data!J1:S1\"",
                 "\"Data!E1\"", "\"Data!B3\"", "\"Data!A1\",TRUE", "\"Data!G10\""]:
        add("INDIRECT", "=SUM(INDIRECT(%s))" % args if "F1" in args or "J1" in args or "A1:A3" in args
            else "=INDIRECT(%s)" % args)
    for r in ["", "Data!A5", "Data!B3:D7", "Data!C:C", "Data!7:9", "Data!J1:S1", "Data!A1000",
              "Data!XFD1", "Data!K21", "Data!A1:A1048576", "Data!H2", "Data!E10",
              "Data!G3:G9", "Data!A100:B200", "Data!A1", "Data!B2", "Data!Z26", "Data!AA1",
              "Data!D4", "Data!F6:F7", "Data!L22"]:
        add("ROW", "=ROW(%s)" % r)
        add("COLUMN", "=COLUMN(%s)" % r)
    for r in ["Data!A1", "Data!B3:D7", "Data!C:C", "Data!7:9", "{1,2;3,4;5,6}", "{1,2,3}",
              "Data!A1:XFD1", "Data!J1:S3", "5", "\"x\"", "Data!A1:A1048576", "Data!E1:E10",
              "Data!G3:G9", "Data!A100:B200", "Data!F6:F7", "Data!K21:L27", "{1}",
              "Data!A:B", "Data!1:1", "Data!A1:Z26", "Data!D2"]:
        add("ROWS", "=ROWS(%s)" % r)
        add("COLUMNS", "=COLUMNS(%s)" % r)
    for args in ["1,1", "2,3", "5,27", "1,16384", "1048576,1", "2,3,2", "2,3,3", "2,3,4",
                 "2,3,1,FALSE", "2,3,4,FALSE", "2,3,2,FALSE", "2,3,3,FALSE", "1,1,1,TRUE,\"Data\"",
                 "1,1,1,TRUE,\"My Sheet\"", "0,1", "1,0", "1,16385", "2,3,5", "\"3\",2",
                 "Data!A1,Data!A1", "1.9,2.9", "1,1,4,TRUE,\"O'Hare\""]:
        add("ADDRESS", "=ADDRESS(%s)" % args)

    for t in TEXT:
        add("LEN", "=LEN(%s)" % t)
        add("UPPER", "=UPPER(%s)" % t)
        add("LOWER", "=LOWER(%s)" % t)
        add("PROPER", "=PROPER(%s)" % t)
        add("TRIM", "=TRIM(%s)" % t)
        add("EXACT", "=EXACT(%s,\"Hello World\")" % t)
        add("VALUE", "=VALUE(%s)" % t)
        add("CODE", "=CODE(%s)" % t)
    for t, n in zip(TEXT * 2, COUNTS * 5):
        add("LEFT", "=LEFT(%s,%s)" % (t, n))
        add("RIGHT", "=RIGHT(%s,%s)" % (t, n))
        add("REPT", "=REPT(%s,%s)" % (t, n))
    add("LEFT", "=LEFT(\"abc\")")
    add("RIGHT", "=RIGHT(\"abc\")")
    for t, s, n in zip(TEXT, ["1", "2", "0", "5", "100", "\"3\"", "-1", "2.5", "1", "3", "4",
                               "1", "7", "Data!B3", "1", "2", "4", "1", "1", "2", "1"],
                       COUNTS * 3):
        add("MID", "=MID(%s,%s,%s)" % (t, s, n))
        add("REPLACE", "=REPLACE(%s,%s,%s,\"XY\")" % (t, s, n))
    for find, within, start in [("\"o\"", "\"Hello World\"", ""), ("\"O\"", "\"Hello World\"", ""),
                                ("\"o\"", "\"Hello World\"", ",6"), ("\"z\"", "\"Hello\"", ""),
                                ("\"\"", "\"Hello\"", ""), ("\"\"", "\"Hello\"", ",3"),
                                ("\"l\"", "\"Hello\"", ",0"), ("\"l\"", "\"Hello\"", ",6"),
                                ("\"l\"", "\"Hello\"", ",7"), ("1", "12.5", ""),
                                ("\"p\"", "Data!C1", ""), ("\"*\"", "Data!C5", ""),
                                ("\"a?\"", "\"banana\"", ""), ("\"n*a\"", "\"banana\"", ""),
                                ("\"~*\"", "\"a*b\"", ""), ("\"B\"", "Data!C2", ",2"),
                                ("\"e\"", "Data!D2", ""), ("\"straße\"", "\"ÄÖÜ straße\"", ""),
                                ("\"smile\"", "\"😀 smile\"", ""), ("\"a\"", "Data!B3", ""),
                                ("\"x\"", "\"?x\"", ""), ("\"?\"", "\"abc\"", "")]:
        add("FIND", "=FIND(%s,%s%s)" % (find, within, start))
        add("SEARCH", "=SEARCH(%s,%s%s)" % (find, within, start))
    for t, o, n, i in [("\"banana\"", "\"a\"", "\"o\"", ""), ("\"banana\"", "\"a\"", "\"o\"", ",2"),
                       ("\"banana\"", "\"A\"", "\"o\"", ""), ("\"banana\"", "\"\"", "\"o\"", ""),
                       ("\"banana\"", "\"an\"", "\"\"", ""), ("\"banana\"", "\"a\"", "\"o\"", ",4"),
                       ("\"banana\"", "\"a\"", "\"o\"", ",0"), ("12.5", "\".\"", "\",\"", ""),
                       ("Data!C1", "\"p\"", "\"P\"", ""), ("Data!D2", "\"a\"", "\"b\"", ""),
                       ("\"aaa\"", "\"aa\"", "\"b\"", ""), ("\"aaa\"", "\"aa\"", "\"b\"", ",2"),
                       ("TRUE", "\"U\"", "\"u\"", ""), ("Data!B3", "\"\"", "\"x\"", ""),
                       ("\"a.b.c\"", "\".\"", "\"--\"", ",\"2\""), ("\"x\"", "\"x\"", "\"xx\"", ""),
                       ("\"ÄÖÜ\"", "\"Ö\"", "\"o\"", ""), ("\"abc\"", "\"b\"", "1", ""),
                       ("\"1-2-3\"", "\"-\"", "\"\"", ",2.7"), ("\"a b\"", "\" \"", "\"_\"", ""),
                       ("\"tt\"", "\"t\"", "\"T\"", ",3")]:
        add("SUBSTITUTE", "=SUBSTITUTE(%s,%s,%s%s)" % (t, o, n, i))
    for args in ["\"a\",\"b\"", "Data!C1,\" \",Data!C2", "1,2.5,TRUE", "Data!B3,\"x\"",
                 "Data!D2,\"x\"", "\"\",\"\"", "Data!A1:A3", "0.1+0.2,\"|\"", "1E+20,\"\"",
                 "\"ÄÖ\",\"😀\"", "-3,\"-\",Data!E1", "Data!B2,Data!B4", "Data!B10,\"z\"",
                 "\"x\"", "123456789012,\"\"", "Data!A6", "FALSE", "\"a\",,\"b\"",
                 "Data!F14", "1/3"]:
        add("CONCATENATE", "=CONCATENATE(%s)" % args)
        add("CONCAT", "=CONCAT(%s)" % args)
    add("CONCAT", "=CONCAT(Data!B1:B10)")
    add("CONCAT", "=CONCAT(Data!A1:B3)")
    for args in ["\",\",TRUE,\"a\",\"b\"", "\",\",TRUE,Data!B1:B10", "\",\",FALSE,Data!B1:B10",
                 "\"-\",TRUE,Data!C1:C3,Data!A1", "\"\",TRUE,Data!H1:H5", "Data!C1:C2,TRUE,1,2,3",
                 "\", \",TRUE,Data!D1:D2", "\",\",FALSE,\"\",\"\"", "\",\",TRUE,\"\",\"\"",
                 "\";\",TRUE,{1,2;3,4}", "\",\",TRUE,Data!B3", "\",\",FALSE,Data!B3,Data!B8",
                 "1,TRUE,2,3", "\",\",\"TRUE\",\"a\",\"b\"", "\",\",\"x\",\"a\"",
                 "\"/\",TRUE,Data!E1:E2", "\",\",TRUE,TRUE,FALSE", "\",\",1,Data!A1:A4",
                 "\"\",FALSE,Data!F1:F10", "Data!B3,TRUE,\"a\",\"b\""]:
        add("TEXTJOIN", "=TEXTJOIN(%s)" % args)
    for v in ["1234.567", "-1234.567", "0", "0.5", "Data!E1", "Data!F14", "\"12\"", "\"abc\"",
              "TRUE", "Data!B3", "Data!D2", "1E+20", "-0.004"]:
        for fmt in ["\"0.00\"", "\"#,##0\"", "\"yyyy-mm-dd\"", "\"0%\"", "\"@\"", "\"h:mm AM/PM\"",
                    "\"$#,##0.00;($#,##0.00)\"", "\"0.0E+00\"", "\"General\"", "\"mmm d, yyyy\"",
                    "\"dddd\"", "\"# ?/?\""]:
            add("TEXT", "=TEXT(%s,%s)" % (v, fmt))
    for v in ["1234.567", "-1234.567", "0.5", "1234567.891", "-0.005", "2.675", "Data!B2",
              "\"abc\"", "Data!B3", "1E+15"]:
        for d in ["", ",0", ",2", ",-2", ",1,TRUE", ",3,FALSE"]:
            add("FIXED", "=FIXED(%s%s)" % (v, d))
    for n in ["65", "97", "32", "48", "128", "150", "169", "200", "255", "256", "0", "1", "65.9",
              "\"66\"", "Data!B3", "Data!D2", "TRUE", "-1", "10", "233", "128.5", "163"]:
        add("CHAR", "=CHAR(%s)" % n)
    for t in ["\"€\"", "\"é\"", "\"—\"", "CHAR(150)", "\"Ω\""]:
        add("CODE", "=CODE(%s)" % t)

    for y, m, d in [("2024", "1", "15"), ("2024", "2", "29"), ("2023", "2", "29"),
                    ("2024", "13", "1"), ("2024", "0", "1"), ("2024", "-1", "1"),
                    ("2024", "3", "0"), ("2024", "3", "-1"), ("1900", "2", "29"),
                    ("1900", "3", "1"), ("1900", "1", "1"), ("99", "1", "1"), ("0", "1", "1"),
                    ("1899", "12", "31"), ("10000", "1", "1"), ("-1", "1", "1"),
                    ("2024.9", "1.9", "1.9"), ("\"2024\"", "\"6\"", "\"1\""), ("Data!B3", "1", "1"),
                    ("2024", "1", "400"), ("9999", "12", "31"), ("2024", "Data!D2", "1"),
                    ("1900", "1", "0"), ("1904", "1", "1")]:
        add("DATE", "=DATE(%s,%s,%s)" % (y, m, d))
    for h, mi, s in [("12", "0", "0"), ("0", "0", "1"), ("25", "0", "0"), ("-1", "0", "0"),
                     ("0", "-1", "0"), ("1", "-30", "0"), ("0", "90", "0"), ("23", "59", "59"),
                     ("24", "0", "0"), ("0", "0", "86401"), ("12.9", "30.9", "15.9"),
                     ("\"6\"", "0", "0"), ("Data!B3", "0", "0"), ("32767", "0", "0"),
                     ("32768", "0", "0"), ("0", "0", "-1"), ("Data!D2", "0", "0"), ("TRUE", "0", "0"),
                     ("5", "4", "3"), ("0", "0", "0"), ("18", "30", "0")]:
        add("TIME", "=TIME(%s,%s,%s)" % (h, mi, s))
    for d in DATES:
        for f in ["YEAR", "MONTH", "DAY", "WEEKDAY"]:
            add(f, "=%s(%s)" % (f, d))
        add("WEEKNUM", "=WEEKNUM(%s)" % d)
    for d in DATES[:12]:
        for t in ["2", "3", "11", "16"]:
            add("WEEKDAY", "=WEEKDAY(%s,%s)" % (d, t))
        for t in ["2", "21", "14"]:
            add("WEEKNUM", "=WEEKNUM(%s,%s)" % (d, t))
    add("WEEKDAY", "=WEEKDAY(45000,4)")
    add("WEEKNUM", "=WEEKNUM(45000,4)")
    for t in TIMES:
        for f in ["HOUR", "MINUTE", "SECOND"]:
            add(f, "=%s(%s)" % (f, t))
    for t in ["\"2024-03-15\"", "\"3/15/2024\"", "\"15-Mar-2024\"", "\"March 15, 2024\"",
              "\"Mar 2024\"", "\"2/29/2023\"", "\"2/29/1900\"", "\"1/1/1900\"", "\"12/31/9999\"",
              "\"abc\"", "45000", "Data!B3", "\"2024-03-15 13:45\"", "\"13:45\"", "Data!D2",
              "\"1/1/30\"", "\"1/1/29\"", "\"  2024-01-02  \"", "TRUE", "\"2024/02/03\"",
              "\"15 Mar 2024\""]:
        add("DATEVALUE", "=DATEVALUE(%s)" % t)
    for d in DATES[:14] + ["\"2024-01-31\"", "\"2024-03-31\"", "Data!B3", "Data!D2", "-1"]:
        for m in ["1", "-1", "0", "12", "1.9", "-13"]:
            add("EOMONTH", "=EOMONTH(%s,%s)" % (d, m))
            add("EDATE", "=EDATE(%s,%s)" % (d, m))
    pairs = [("Data!E3", "Data!E1"), ("Data!E1", "Data!E2"), ("Data!E9", "Data!E5"),
             ("Data!E4", "Data!E6"), ("\"2024-01-31\"", "\"2024-03-01\""),
             ("\"2024-01-31\"", "\"2024-02-29\""), ("\"2023-02-28\"", "\"2024-02-29\""),
             ("\"2024-02-29\"", "\"2025-02-28\""), ("\"2024-03-15\"", "\"2024-03-15\""),
             ("Data!E1", "Data!E3"), ("\"2020-05-31\"", "\"2024-06-30\""),
             ("\"2021-12-31\"", "\"2022-01-01\""), ("0", "366"), ("Data!B3", "Data!E1"),
             ("Data!D2", "Data!E1"), ("\"2024-01-15 18:00\"", "\"2024-02-14 06:00\""),
             ("\"2024-07-31\"", "\"2024-09-30\""), ("\"1999-02-28\"", "\"2000-02-29\""),
             ("\"2024-08-31\"", "\"2024-09-30\""), ("\"2023-03-31\"", "\"2024-02-29\"")]
    for a, b in pairs:
        for u in ["\"Y\"", "\"M\"", "\"D\"", "\"MD\"", "\"YM\"", "\"YD\""]:
            add("DATEDIF", "=DATEDIF(%s,%s,%s)" % (a, b, u))
        for basis in ["", ",1", ",2", ",3", ",4"]:
            add("YEARFRAC", "=YEARFRAC(%s,%s%s)" % (a, b, basis))
        add("NETWORKDAYS", "=NETWORKDAYS(%s,%s)" % (a, b))
        add("NETWORKDAYS", "=NETWORKDAYS(%s,%s,Data!E12:E14)" % (a, b))
    add("DATEDIF", "=DATEDIF(1,2,\"X\")")
    add("YEARFRAC", "=YEARFRAC(1,2,5)")
    for d in DATES[:10] + ["\"2024-12-24\"", "\"2024-07-03\"", "Data!B3", "Data!D2"]:
        for n in ["1", "5", "-1", "-10", "0", "30", "2.9"]:
            add("WORKDAY", "=WORKDAY(%s,%s,Data!E12:E14)" % (d, n))
    for i in range(20):
        add("TODAY", "=TODAY()-%d" % i if i else "=TODAY()")
        add("NOW", "=NOW()+%d" % i if i else "=NOW()")

    infos = ["Data!B3", "Data!B10", "\"\"", "1", "\"1\"", "Data!B2", "TRUE", "Data!B4",
             "Data!D2", "Data!D3", "Data!C1", "Data!A4", "Data!E1", "Data!A1:A3", "NA()",
             "{1,2}", "-5", "Data!F14", "\"abc\"", "1/0", "Data!A1"]
    for v in infos:
        for f in ["ISBLANK", "ISNUMBER", "ISTEXT", "N"]:
            add(f, "=%s(%s)" % (f, v))
    for i in range(20):
        add("NA", "=NA()" if i % 2 == 0 else "=IFERROR(NA(),%d)" % i)
    return [c for c in out if c[1]]


def generate(path):
    wb = openpyxl.Workbook()
    cases_sheet = wb.active
    cases_sheet.title = "Cases"
    data = wb.create_sheet("Data")
    wb.create_sheet("My Sheet")
    write_data(data)
    for i, (function, formula) in enumerate(cases(), start=1):
        cases_sheet.cell(i, 1, function)
        cases_sheet.cell(i, 2, prefixed(formula))
        cases_sheet.cell(i, 3, formula[1:])
    wb.save(path)


NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships"}


def read(path, out):
    """Reads the cached values straight from the package, so that a number shown as a date
    stays the number."""
    with zipfile.ZipFile(path) as z:
        book = ET.fromstring(z.read("xl/workbook.xml"))
        rid = [s.get("{%s}id" % NS["r"]) for s in book.find("m:sheets", NS)
               if s.get("name") == "Cases"][0]
        rels = ET.fromstring(z.read("xl/_rels/workbook.xml.rels"))
        target = [r.get("Target") for r in rels if r.get("Id") == rid][0]
        target = target.lstrip("/")
        if not target.startswith("xl/"):
            target = "xl/" + target
        shared = []
        if "xl/sharedStrings.xml" in z.namelist():
            for si in ET.fromstring(z.read("xl/sharedStrings.xml")).findall("m:si", NS):
                shared.append("".join(t.text or "" for t in si.iter("{%s}t" % NS["m"])))
        sheet = ET.fromstring(z.read(target))
    rows = {}
    for c in sheet.iter("{%s}c" % NS["m"]):
        ref = c.get("r")
        column = re.match(r"[A-Z]+", ref).group(0)
        row = int(ref[len(column):])
        t = c.get("t", "n")
        v = c.find("m:v", NS)
        text = v.text if v is not None and v.text is not None else ""
        if t == "s":
            kind, text = "s", shared[int(text)]
        elif t == "inlineStr":
            kind = "s"
            text = "".join(x.text or "" for x in c.iter("{%s}t" % NS["m"]))
        elif t == "str":
            kind = "s"
        elif t == "b":
            kind, text = "b", "TRUE" if text == "1" else "FALSE"
        elif t == "e":
            kind = "e"
        else:
            kind = "n" if text != "" else "z"
            if text:
                text = repr(float(text))
        if kind == "s" and text == "":
            kind = "z"
        rows.setdefault(row, {})[column] = (kind, text)
    with open(out, "w", encoding="utf-8") as f:
        for row in sorted(rows):
            cells = rows[row]
            if "A" not in cells:
                continue
            kind, text = cells.get("B", ("z", ""))
            text = text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            f.write("%d\t%s\t%s\t%s\n" % (row, cells["A"][1], kind, text))


if __name__ == "__main__":
    if sys.argv[1] == "generate":
        generate(sys.argv[2])
    else:
        read(sys.argv[2], sys.argv[3])
