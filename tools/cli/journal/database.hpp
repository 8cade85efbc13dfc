// A thin owner of one SQLite connection: statements with bound parameters, and transactions that
// take the write lock up front so that two orvulink runs on one journal wait for each other
// instead of failing half-way.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvulink::cli {

class JournalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using SqlValue = std::variant<std::monostate, std::int64_t, std::string>;

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(const std::vector<SqlValue>& values);
  // Steps once: true while a row is available.
  bool Step();
  // Runs to the end, resets, ready to bind again.
  void Run(const std::vector<SqlValue>& values);
  std::int64_t Integer(int column) const;
  std::optional<std::int64_t> MaybeInteger(int column) const;
  std::string Text(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

class Database {
 public:
  explicit Database(const std::filesystem::path& path);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void Execute(std::string_view sql);
  Statement Prepare(std::string_view sql) { return Statement(db_, sql); }
  // Runs `work` in one write transaction; rolled back when it throws.
  void Transaction(const std::function<void()>& work);
  std::int64_t LastInsertId() const;

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace orvulink::cli
