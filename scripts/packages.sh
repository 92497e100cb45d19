# Debian packages the project needs. Sourced by scripts/setup.
BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format clang-tidy
  libgtest-dev libgmock-dev libbenchmark-dev
  libpugixml-dev libzip-dev zlib1g-dev libdeflate-dev libsqlite3-dev sqlite3 unixodbc-dev unixodbc libssl-dev
  libcurl4-openssl-dev libstb-dev qt6-base-dev dpkg-dev
)
# Real peers and clients the tests and benchmarks use: PostgreSQL and MariaDB servers with their
# ODBC drivers (the MariaDB server's core only: the full package would start a system server),
# the SQLite ODBC driver, and two programs that read our workbooks back; the locale sources, from
# which a test builds a German locale (decimal comma) of its own. Then what the checks of the
# package and the deployment examples use: man, the desktop and AppStream validators, the MIME
# database, systemd-analyze and the Kubernetes API schema of the Python client.
TEST_PACKAGES=(
  postgresql odbc-postgresql libsqliteodbc python3 python3-openpyxl python3-pil libreoffice-calc-nogui
  libxlsxwriter-dev xvfb xauth poppler-utils python3-uno locales
  mariadb-server-core mariadb-client-core odbc-mariadb
  man-db desktop-file-utils appstream shared-mime-info systemd python3-yaml python3-kubernetes
)
