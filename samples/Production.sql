-- Production: the copy of the shop's database in use. Compare it (as the
-- destination) with Development.sdb; see Development.sql for what differs.

-- Accounts, kept in the workgroup Production.sdw.
CREATE USER [anna];
CREATE USER [ben];
-- dora: only here.
CREATE USER [dora];
CREATE GROUP [Sales];
-- Accounting: only here.
CREATE GROUP [Accounting];
ADD USER [anna] TO [Sales];
ADD USER [ben] TO [Sales];
ADD USER [dora] TO [Accounting];

CREATE TABLE [Suppliers] (
  [SupplierID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [Company] TEXT(60) NOT NULL,
  [Contact] TEXT(40));

CREATE TABLE [Customers] (
  [CustomerID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [Name] TEXT(40) NOT NULL,
  [Email] TEXT(80),
  [City] TEXT(30),
  [Country] TEXT(2) DEFAULT 'DE',
  [Phone] TEXT(20),
  [Notes] MEMO,
  [Discount] SINGLE,
-- Only here.
  [Fax] TEXT(20));
CREATE INDEX [ixCity] ON [Customers] ([City] DESC);
CREATE INDEX [ixName] ON [Customers] ([Name]) WITH DISALLOW NULL;
CREATE INDEX [ixPhone] ON [Customers] ([Phone]);
CREATE INDEX [ixCountryCity] ON [Customers] ([Country]);
-- Only here.
CREATE INDEX [ixFax] ON [Customers] ([Fax]);

CREATE TABLE [Products] (
  [ProductID] LONG CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [ProductName] TEXT(50) NOT NULL,
  [SupplierID] LONG,
  [Price] CURRENCY,
  CONSTRAINT [SuppliersProducts] FOREIGN KEY ([SupplierID]) REFERENCES [Suppliers] ([SupplierID]));

CREATE TABLE [Orders] (
  [OrderID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [CustomerID] LONG NOT NULL,
  [ProductID] LONG,
  [Quantity] SMALLINT,
  [Placed] DATETIME,
  CONSTRAINT [CustomersOrders] FOREIGN KEY ([CustomerID]) REFERENCES [Customers] ([CustomerID]),
-- Only here.
  CONSTRAINT [ProductsOrders] FOREIGN KEY ([ProductID]) REFERENCES [Products] ([ProductID]));

CREATE TABLE [OrderLines] (
  [OrderID] LONG NOT NULL,
  [LineNo] SMALLINT NOT NULL,
  [ProductID] LONG NOT NULL,
  [Quantity] LONG,
  CONSTRAINT [PrimaryKey] PRIMARY KEY ([OrderID], [LineNo], [ProductID]));

-- Only here.
CREATE TABLE [FaxLog] (
  [FaxID] COUNTER CONSTRAINT [PrimaryKey] PRIMARY KEY,
  [CustomerID] LONG,
  [Sent] DATETIME);

CREATE VIEW [vSupplierList] AS SELECT [Company], [Contact] FROM [Suppliers];
CREATE VIEW [vCustomerList] AS SELECT [Name], [City] FROM [Customers];
-- Only here.
CREATE VIEW [vFaxList] AS SELECT [Name], [Fax] FROM [Customers];

CREATE PROCEDURE [pRaisePrices] AS UPDATE [Products] SET [Price] = [Price] * 1.05;
CREATE PROCEDURE [pCustomersByCity] AS PARAMETERS [WhichCity] TEXT(30), [WhichCountry] TEXT(2); SELECT * FROM [Customers] WHERE [City] = [WhichCity] AND [Country] = [WhichCountry];
CREATE PROCEDURE [pDeleteOldOrders] AS DELETE FROM [Orders] WHERE [Placed] < #1/1/2018#;
-- Only here.
CREATE PROCEDURE [pClearFaxes] AS UPDATE [Customers] SET [Fax] = Null;

INSERT INTO [Suppliers] VALUES (1, 'Alpenmilch AG', 'Ruth Keller');
INSERT INTO [Suppliers] VALUES (2, 'Bergbrot GmbH', 'Jonas Weber');
INSERT INTO [Customers] ([Name], [Email], [City], [Country], [Discount]) VALUES ('Lena Frei', 'lena@example.org', 'Bern', 'CH', 0.05);
INSERT INTO [Customers] ([Name], [Email], [City], [Country], [Discount]) VALUES ('Paul Graf', 'paul@example.org', 'Zug', 'CH', 0.1);
INSERT INTO [Customers] ([Name], [Email], [City], [Country], [Discount]) VALUES ('Sara Stein', 'sara@example.org', 'Chur', 'CH', 0);

GRANT SELECT ON TABLE [Orders] TO [anna];
GRANT SELECT ON TABLE [Customers] TO [ben];
GRANT SELECT ON TABLE [Customers] TO [Sales];
GRANT SELECT ON TABLE [FaxLog] TO [Sales];
GRANT SELECT, INSERT ON TABLE [FaxLog] TO [Accounting];
GRANT SELECT ON TABLE [FaxLog] TO [dora];
