/* The baseline of the REPORT fill benchmark: runs the same query on the same SQLite database
 * and writes the same cells (a header row, one row per record, dates as dates, the total row's
 * formula) with libxlsxwriter in its constant-memory mode, which streams rows straight to the
 * file. That is about the least work that can produce the report.
 *   bench_report_xlsxwriter database output.xlsx "query"
 */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xlsxwriter.h>

static int parse_datetime(const char *text, lxw_datetime *out) {
  memset(out, 0, sizeof *out);
  int n = sscanf(text, "%d-%d-%d %d:%d:%lf", &out->year, &out->month, &out->day, &out->hour,
                 &out->min, &out->sec);
  return n == 3 || n == 6;
}

int main(int argc, char **argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s database output.xlsx query\n", argv[0]);
    return 2;
  }
  sqlite3 *db;
  sqlite3_stmt *stmt;
  if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK ||
      sqlite3_prepare_v2(db, argv[3], -1, &stmt, NULL) != SQLITE_OK) {
    fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    return 1;
  }
  lxw_workbook_options options = {.constant_memory = LXW_TRUE};
  lxw_workbook *book = workbook_new_opt(argv[2], &options);
  lxw_worksheet *sheet = workbook_add_worksheet(book, "Sheet");
  lxw_format *date = workbook_add_format(book);
  format_set_num_format(date, "yyyy-mm-dd");
  lxw_format *stamp = workbook_add_format(book);
  format_set_num_format(stamp, "yyyy-mm-dd hh:mm:ss");
  lxw_format *money = workbook_add_format(book);
  format_set_num_format(money, "#,##0.00");

  const int columns = sqlite3_column_count(stmt);
  for (int c = 0; c < columns; ++c)
    worksheet_write_string(sheet, 0, (lxw_col_t)c, sqlite3_column_name(stmt, c), NULL);
  lxw_row_t row = 1;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    for (int c = 0; c < columns; ++c) {
      const lxw_col_t col = (lxw_col_t)c;
      switch (sqlite3_column_type(stmt, c)) {
      case SQLITE_INTEGER:
      case SQLITE_FLOAT:
        worksheet_write_number(sheet, row, col, sqlite3_column_double(stmt, c), money);
        break;
      case SQLITE_TEXT: {
        const char *text = (const char *)sqlite3_column_text(stmt, c);
        lxw_datetime when;
        if (parse_datetime(text, &when))
          worksheet_write_datetime(sheet, row, col, &when, when.hour || when.min ? stamp : date);
        else
          worksheet_write_string(sheet, row, col, text, NULL);
        break;
      }
      default:
        break; /* Null: the cell stays empty */
      }
    }
    ++row;
  }
  char total[64];
  snprintf(total, sizeof total, "=SUM(E2:E%u)", (unsigned)row);
  worksheet_write_string(sheet, row + 1, 0, "Total", NULL);
  worksheet_write_formula(sheet, row + 1, 4, total, money);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}
