# Debian packages the project needs. Sourced by scripts/setup.
BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev libzip-dev zlib1g-dev libsqlite3-dev sqlite3 unixodbc-dev unixodbc libssl-dev
  libcurl4-openssl-dev libstb-dev qt6-base-dev
)
# Real peers and clients the tests and benchmarks use: a PostgreSQL server with its ODBC
# driver, the SQLite ODBC driver, and two programs that read our workbooks back; the locale
# sources, from which a test builds a German locale (decimal comma) of its own.
TEST_PACKAGES=(
  postgresql odbc-postgresql libsqliteodbc python3 python3-openpyxl python3-pil libreoffice-calc-nogui
  libxlsxwriter-dev xvfb xauth poppler-utils python3-uno locales
)
