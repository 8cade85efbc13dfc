#include "journal/database.hpp"

namespace orvulink::cli {
namespace {

constexpr int kBusyWaitMs = 15000;  // another run's transaction is short; wait for it

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
  throw JournalError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
      SQLITE_OK)
    Fail(db, "journal query");
}

Statement::~Statement() {
  sqlite3_finalize(statement_);
}

Statement& Statement::Bind(const std::vector<SqlValue>& values) {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    int result = SQLITE_OK;
    if (const auto* number = std::get_if<std::int64_t>(&values[i]))
      result = sqlite3_bind_int64(statement_, index, *number);
    else if (const auto* text = std::get_if<std::string>(&values[i]))
      result = sqlite3_bind_text(statement_, index, text->data(), static_cast<int>(text->size()),
                                 SQLITE_TRANSIENT);
    if (result != SQLITE_OK) Fail(db_, "journal value");
  }
  return *this;
}

bool Statement::Step() {
  const int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW) return true;
  if (result != SQLITE_DONE) Fail(db_, "journal");
  return false;
}

void Statement::Run(const std::vector<SqlValue>& values) {
  Bind(values);
  while (Step()) {
  }
  sqlite3_reset(statement_);
}

std::int64_t Statement::Integer(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::optional<std::int64_t> Statement::MaybeInteger(int column) const {
  if (sqlite3_column_type(statement_, column) == SQLITE_NULL) return std::nullopt;
  return Integer(column);
}

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_, column);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
              : std::string();
}

Database::Database(const std::filesystem::path& path) {
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    throw JournalError("cannot open the journal " + path.string() + ": " + message);
  }
  sqlite3_busy_timeout(db_, kBusyWaitMs);
}

Database::~Database() {
  sqlite3_close(db_);
}

void Database::Execute(std::string_view sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    throw JournalError("journal: " + message);
  }
}

void Database::Transaction(const std::function<void()>& work) {
  Execute("BEGIN IMMEDIATE");
  try {
    work();
    Execute("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

std::int64_t Database::LastInsertId() const {
  return sqlite3_last_insert_rowid(db_);
}

}  // namespace orvulink::cli
