# Makes monthly-template.xlsx, the example report's template (run with Debian's python3 and
# python3-openpyxl). The committed template was made by this script.
import os
import struct
import sys
import zlib
import openpyxl
from openpyxl.styles import Font, PatternFill, Alignment
from openpyxl.workbook.defined_name import DefinedName

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Summary"
ws["A1"] = "Monthly sales summary"
ws["A1"].font = Font(size=16, bold=True)
ws.merge_cells("A1:D1")
labels = ["Month", "Orders", "Units sold", "Revenue", "Average order", "Best customer",
          "Best customer's revenue"]
for i, label in enumerate(labels, start=3):
    ws.cell(row=i, column=1, value=label).font = Font(bold=True)
names = ["ReportMonth", "OrderCount", "Units", "Revenue"]
for i, name in enumerate(names, start=3):
    ws.cell(row=i, column=2, value="=" + name)
ws["B7"] = "=IF(OrderCount=0,0,Revenue/OrderCount)"
ws["B8"] = "=BestCustomer"
ws["B9"] = "=BestCustomerRevenue"
for cell in ("B6", "B7", "B9"):
    ws[cell].number_format = "#,##0.00"
ws["A3"].fill = ws["A4"].fill = PatternFill("solid", fgColor="DDEBF7")
ws.column_dimensions["A"].width = 26
ws.column_dimensions["B"].width = 22
for name, value in [("ReportMonth", '"(month)"'), ("OrderCount", "0"), ("Units", "0"),
                    ("Revenue", "0"), ("BestCustomer", '"(none)"'), ("BestCustomerRevenue", "0")]:
    wb.defined_names.append(DefinedName(name, attr_text=value))

# Revenue by region: the fixed fill writes the four regions over rows 13 to 16.
ws["A11"] = "Revenue by region"
ws["A11"].font = Font(size=13, bold=True)
for col, label in enumerate(["Region", "Orders", "Revenue"], start=1):
    ws.cell(row=12, column=col, value=label).font = Font(bold=True)
band = PatternFill("solid", fgColor="F2F2F2")
for col in range(1, 4):
    ws.cell(row=13, column=col).fill = band
ws["C13"].number_format = "#,##0.00"
ws["A17"] = "All regions"
ws["A17"].font = Font(bold=True)
ws["B17"] = "=SUM(B13:B16)"
ws["C17"] = "=SUM(C13:C16)"
ws["C17"].number_format = "#,##0.00"

# The orders of the month: row 2 is the record row, row 3 the spare row of RESERVE=2, and the
# total row's sums over rows 2 to 3 grow as rows are inserted between them.
orders = wb.create_sheet("Orders")
for col, (label, width) in enumerate([("Order", 8), ("Date", 12), ("Customer", 20),
                                      ("Product", 10), ("Quantity", 10), ("Unit price", 11),
                                      ("Amount", 12)], start=1):
    orders.cell(row=1, column=col, value=label).font = Font(bold=True)
    orders.column_dimensions[openpyxl.utils.get_column_letter(col)].width = width
for row in (2, 3):
    orders.cell(row=row, column=2).number_format = "yyyy-mm-dd"
    orders.cell(row=row, column=6).number_format = "#,##0.00"
    orders.cell(row=row, column=7, value="=E%d*F%d" % (row, row)).number_format = "#,##0.00"
orders["A4"] = "Total"
orders["E4"] = "=SUM(E2:E3)"
orders["G4"] = "=SUM(G2:G3)"
orders["G4"].number_format = "#,##0.00"
for cell in ("A4", "E4", "G4"):
    orders[cell].font = Font(bold=True)
orders.print_title_rows = "1:1"

# The products with their pictures; B2's text is the pictures' style: 36 points wide (the
# height follows), moving with their cells.
products = wb.create_sheet("Products")
for col, (label, width) in enumerate([("Product", 12), ("Picture", 10), ("Description", 40)],
                                     start=1):
    products.cell(row=1, column=col, value=label).font = Font(bold=True)
    products.column_dimensions[openpyxl.utils.get_column_letter(col)].width = width
products.row_dimensions[2].height = 40
products["B2"] = "W36 MNS"
products["A2"].alignment = products["C2"].alignment = Alignment(vertical="center")

target = sys.argv[1] if len(sys.argv) > 1 else "monthly-template.xlsx"
wb.save(target)


# The product pictures beside the template: small PNG badges written with zlib alone.
def png(path, colour, stripes):
    size = 48
    rows = []
    for y in range(size):
        line = bytearray([0])
        for x in range(size):
            on = ((x + y) // 6) % 2 == 0 if stripes else (x - 24) ** 2 + (y - 24) ** 2 < 400
            line += bytes(colour) if on else b"\xff\xff\xff"
        rows.append(bytes(line))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(b"".join(rows), 9)))
        out.write(chunk(b"IEND", b""))


pictures = os.path.join(os.path.dirname(os.path.abspath(target)), "pictures")
os.makedirs(pictures, exist_ok=True)
for name, colour, stripes in [("binders", (46, 117, 182), True), ("ink", (40, 40, 40), False),
                              ("paper", (112, 173, 71), True), ("pens", (237, 125, 49), False)]:
    png(os.path.join(pictures, name + ".png"), colour, stripes)
