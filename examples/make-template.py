# Makes monthly-template.xlsx, the example report's template (run with Debian's python3 and
# python3-openpyxl). The committed template was made by this script.
import sys
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
wb.save(sys.argv[1] if len(sys.argv) > 1 else "monthly-template.xlsx")
