-- Development: the copy of a small shop's database where changes are made
-- first. Compare it (as the source) with Production.sdb: the two differ in
-- every kind of object the program compares. Notes on the right-hand side
-- of each difference say what Production has instead.

-- Accounts, kept in the workgroup Development.sdw.
CREATE USER [anna];
CREATE USER [ben];
-- clara: only here.
CREATE USER [clara];
CREATE GROUP [Sales];
-- Warehouse: only here.
CREATE GROUP [Warehouse];
ADD USER [anna] TO [Sales];
ADD USER [ben] TO [Sales];
-- ben's membership of Warehouse: only here.
ADD USER [ben] TO [Warehouse];
ADD USER [clara] TO [Warehouse];

-- The same on both sides.
CREATE TABLE [Suppliers] (
  [SupplierID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [Company] TEXT(60) NOT NULL,
  [Contact] TEXT(40));

-- A column for each compared property.
CREATE TABLE [Customers] (
  [CustomerID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
-- Production: TEXT(40).
  [Name] TEXT(60) NOT NULL,
-- Production: not required.
  [Email] TEXT(80) NOT NULL,
-- Production: without compression.
  [City] TEXT(30) WITH COMPRESSION,
-- Production: default 'DE'.
  [Country] TEXT(2) DEFAULT 'CH',
-- Production: zero-length text not allowed (set below).
  [Phone] TEXT(20),
-- Production: no description (set below).
  [Notes] MEMO,
-- Production: SINGLE.
  [Discount] DOUBLE,
-- Only here; Production has Fax instead.
  [Mobile] TEXT(20),
-- A unique key only here.
  CONSTRAINT [uqEmail] UNIQUE ([Email]));
-- Production: descending.
CREATE INDEX [ixCity] ON [Customers] ([City] ASC);
-- Production: WITH DISALLOW NULL.
CREATE INDEX [ixName] ON [Customers] ([Name]) WITH IGNORE NULL;
-- Production: not unique.
CREATE UNIQUE INDEX [ixPhone] ON [Customers] ([Phone]);
-- Production: on Country alone.
CREATE INDEX [ixCountryCity] ON [Customers] ([Country], [City]);
-- Only here.
CREATE INDEX [ixMobile] ON [Customers] ([Mobile]);

CREATE TABLE [Products] (
-- Production: LONG, not an AutoNumber.
  [ProductID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
-- Production calls it ProductName: "Match columns" pairs the two by position.
  [Title] TEXT(50) NOT NULL,
  [SupplierID] LONG,
  [Price] CURRENCY,
-- Production: no cascading update.
  CONSTRAINT [SuppliersProducts] FOREIGN KEY ([SupplierID]) REFERENCES [Suppliers] ([SupplierID])
    ON UPDATE CASCADE);

CREATE TABLE [Orders] (
-- Production: seed 1 (compared with "Include Increment and Seed").
  [OrderID] COUNTER(1000, 1) CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [CustomerID] LONG NOT NULL,
  [ProductID] LONG,
  [Quantity] SMALLINT,
  [Placed] DATETIME,
-- Production: no cascading delete, and a second foreign key to Products.
  CONSTRAINT [CustomersOrders] FOREIGN KEY ([CustomerID]) REFERENCES [Customers] ([CustomerID])
    ON DELETE CASCADE);

CREATE TABLE [OrderLines] (
  [OrderID] LONG NOT NULL,
  [LineNo] SMALLINT NOT NULL,
  [ProductID] LONG NOT NULL,
-- Production: LONG.
  [Quantity] SMALLINT,
-- Production: the key takes ProductID too.
  CONSTRAINT [PrimaryKey] PRIMARY KEY ([OrderID], [LineNo]));

-- Only here.
CREATE TABLE [Invoices] (
  [InvoiceID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [OrderID] LONG NOT NULL,
  [Amount] CURRENCY,
  [Paid] YESNO);

-- Views: one each the same, different, and only here.
CREATE VIEW [vSupplierList] AS SELECT [Company], [Contact] FROM [Suppliers];
CREATE VIEW [vCustomerList] AS SELECT [Name], [Email], [City] FROM [Customers];
CREATE VIEW [vBigOrders] AS SELECT * FROM [Orders] WHERE [Quantity] > 10;

-- Procedures: the same, different parameters, different text, only here.
CREATE PROCEDURE [pRaisePrices] AS UPDATE [Products] SET [Price] = [Price] * 1.05;
CREATE PROCEDURE [pCustomersByCity] AS PARAMETERS [WhichCity] TEXT(30); SELECT * FROM [Customers] WHERE [City] = [WhichCity];
CREATE PROCEDURE [pDeleteOldOrders] AS DELETE FROM [Orders] WHERE [Placed] < #1/1/2020#;
CREATE PROCEDURE [pArchiveInvoices] AS DELETE FROM [Invoices] WHERE [Paid] = True;

-- A few rows: a script changes the schema and keeps them.
INSERT INTO [Suppliers] VALUES (1, 'Alpenmilch AG', 'Ruth Keller');
INSERT INTO [Suppliers] VALUES (2, 'Bergbrot GmbH', 'Jonas Weber');
INSERT INTO [Customers] ([Name], [Email], [City], [Country], [Discount]) VALUES ('Lena Frei', 'lena@example.org', 'Bern', 'CH', 0.05);
INSERT INTO [Customers] ([Name], [Email], [City], [Country], [Discount]) VALUES ('Marc Roth', 'marc@example.org', 'Basel', 'CH', 0);

-- Permissions. Users: anna's rights on Orders differ. Groups: Sales has
-- rights on a table that only this side has.
GRANT SELECT, UPDATE ON TABLE [Orders] TO [anna];
GRANT SELECT ON TABLE [Customers] TO [ben];
GRANT SELECT ON TABLE [Customers] TO [Sales];
GRANT SELECT ON TABLE [Invoices] TO [Sales];
GRANT SELECT, INSERT, UPDATE ON TABLE [Products] TO [Warehouse];
GRANT SELECT ON TABLE [Invoices] TO [clara];

-- Column properties Jet SQL cannot state: table;column;position;value with
-- position 13 "allow zero length" and 2 "description".
<JET:COLUMNS>
Customers;Phone;13;-1
Customers;Notes;2;Anything worth knowing about the customer
</JET:COLUMNS>
