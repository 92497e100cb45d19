-- The example sales database: regions, customers and a year of orders.
-- scripts/demo builds examples/sales.db from this file.
DROP TABLE IF EXISTS orders;
DROP TABLE IF EXISTS customers;
DROP TABLE IF EXISTS regions;
DROP TABLE IF EXISTS report_runs;
DROP TABLE IF EXISTS products;

CREATE TABLE regions (region_id INTEGER PRIMARY KEY, region_name TEXT NOT NULL);
INSERT INTO regions VALUES (1, 'North'), (2, 'South'), (3, 'East'), (4, 'West');

CREATE TABLE customers (
  customer_id INTEGER PRIMARY KEY,
  customer_name TEXT NOT NULL,
  region_id INTEGER NOT NULL REFERENCES regions(region_id),
  city TEXT
);
INSERT INTO customers VALUES
  (1, 'Alder Trading', 1, 'Oslo'), (2, 'Birch & Sons', 1, 'Bergen'),
  (3, 'Cedar Foods', 2, 'Seville'), (4, 'Dune Logistics', 2, 'Malaga'),
  (5, 'Elm Street Books', 3, 'Vienna'), (6, 'Fjord Fisheries', 3, 'Graz'),
  (7, 'Garnet Tools', 4, 'Porto'), (8, 'Harbour Café', 4, 'Lisbon');

CREATE TABLE orders (
  order_id INTEGER PRIMARY KEY,
  customer_id INTEGER NOT NULL REFERENCES customers(customer_id),
  order_date DATE NOT NULL,
  product TEXT NOT NULL,
  quantity INTEGER NOT NULL,
  unit_price NUMERIC(10, 2) NOT NULL
);
-- 480 orders over 2024, made deterministically: 40 a month, spread over the customers.
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 479)
INSERT INTO orders (order_id, customer_id, order_date, product, quantity, unit_price)
SELECT i + 1,
       (i * 5) % 8 + 1,
       printf('2024-%02d-%02d', i / 40 + 1, (i * 7) % 28 + 1),
       CASE i % 4 WHEN 0 THEN 'Paper' WHEN 1 THEN 'Ink' WHEN 2 THEN 'Binders' ELSE 'Pens' END,
       (i * 13) % 20 + 1,
       CASE i % 4 WHEN 0 THEN 4.50 WHEN 1 THEN 19.90 WHEN 2 THEN 7.25 ELSE 1.20 END
FROM n;

-- EXECSQL in the example report writes a line here on every run.
CREATE TABLE report_runs (run_id INTEGER PRIMARY KEY, report_month TEXT, run_at TEXT);

-- The products, each with a picture beside the template (made by make-template.py); the
-- example report shows them from the picture field.
CREATE TABLE products (product TEXT PRIMARY KEY, picture TEXT, description TEXT);
INSERT INTO products VALUES
  ('Binders', 'pictures/binders.png', 'Ring binders, A4, 40 mm spine'),
  ('Ink', 'pictures/ink.png', 'Ink cartridges, black, high capacity'),
  ('Paper', 'pictures/paper.png', 'Copy paper, A4, 80 g/m2, 500 sheets'),
  ('Pens', 'pictures/pens.png', 'Ballpoint pens, blue, box of 10');
