#include "page/page_terminal.hpp"

#include <curses.h>
#include <term.h>

#include <array>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "page/page_layout.hpp"

namespace orvulink::cli {
namespace {

// How often a wait for a key looks at the signals.
constexpr int kPollMilliseconds = 100;
constexpr int kEscapeDelayMilliseconds = 25;
constexpr int kCtrlC = 3;
constexpr int kEscape = 27;
constexpr int kDeleteCharacter = 127;

volatile std::sig_atomic_t g_signal = 0;

extern "C" void NoteSignal(int number) {
  g_signal = number;
}

// Signals that would otherwise end the program with the terminal still in curses mode are
// turned into a request to leave the page.
class SignalGuard {
 public:
  SignalGuard() {
    g_signal = 0;
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
      sigaction(kSignals[i], &action, &previous_[i]);
  }
  ~SignalGuard() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
      sigaction(kSignals[i], &previous_[i], nullptr);
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

 private:
  static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
  std::array<struct sigaction, 3> previous_{};
};

// curses mode for the life of the object; endwin() runs on every way out, exceptions included.
class CursesScreen {
 public:
  CursesScreen() {
    std::setlocale(LC_ALL, "");  // wide characters in and out
    // newterm() leaks its half-made screen when the terminal type is unknown: ask first.
    if (KnownTerminal()) screen_ = newterm(nullptr, stdout, stdin);
    if (screen_ == nullptr) {
      const char* term = std::getenv("TERM");
      throw std::runtime_error(
          std::string("cannot show the property page on this terminal (TERM=") +
          (term != nullptr ? term : "") + ")");
    }
    set_term(screen_);
    raw();  // Ctrl-C arrives as a key, so the page can leave tidily
    noecho();
    keypad(stdscr, TRUE);
    set_escdelay(kEscapeDelayMilliseconds);
    timeout(kPollMilliseconds);
  }
  ~CursesScreen() {
    endwin();
    delscreen(screen_);
  }
  CursesScreen(const CursesScreen&) = delete;
  CursesScreen& operator=(const CursesScreen&) = delete;

  static bool KnownTerminal() {
    int status = 0;
    if (setupterm(nullptr, fileno(stdout), &status) != OK) return false;
    del_curterm(cur_term);
    return true;
  }
  static bool LargeEnough() { return LINES >= kPageRows && COLS >= kPageColumns; }
  static std::string SizeText() { return std::to_string(COLS) + "x" + std::to_string(LINES); }

 private:
  SCREEN* screen_ = nullptr;
};

attr_t Attribute(CellStyle style) {
  switch (style) {
    case CellStyle::kNormal:
      return A_NORMAL;
    case CellStyle::kDisabled:
      return A_DIM;
    case CellStyle::kFocused:
      return A_REVERSE;
    case CellStyle::kTitle:
      return A_BOLD;
    case CellStyle::kHint:
      return A_DIM;
    case CellStyle::kStatus:
      return A_BOLD;
  }
  return A_NORMAL;
}

void Draw(const PageScreen& screen) {
  erase();
  for (const Cell& cell : screen.cells) {
    attrset(Attribute(cell.style));
    mvaddstr(cell.row, cell.column, cell.text.c_str());
  }
  attrset(A_NORMAL);
  curs_set(screen.cursor_row >= 0 ? 1 : 0);
  if (screen.cursor_row >= 0) move(screen.cursor_row, screen.cursor_column);
  refresh();
}

// Shrinking the window mid-edit must not cost the edits: the page waits for more room.
void DrawTooSmall() {
  erase();
  curs_set(0);
  mvaddstr(0, 0, "The window is too small for the property page.");
  mvaddstr(1, 0,
           ("Enlarge it to " + std::to_string(kPageColumns) + "x" + std::to_string(kPageRows) +
            ", or press Esc to leave without saving.")
               .c_str());
  refresh();
}

std::optional<Key> FunctionKey(wint_t code) {
  switch (code) {
    case KEY_DOWN:
      return Key{KeyKind::kNext};
    case KEY_UP:
    case KEY_BTAB:
      return Key{KeyKind::kPrevious};
    case KEY_LEFT:
      return Key{KeyKind::kLeft};
    case KEY_RIGHT:
      return Key{KeyKind::kRight};
    case KEY_HOME:
      return Key{KeyKind::kHome};
    case KEY_END:
      return Key{KeyKind::kEnd};
    case KEY_BACKSPACE:
      return Key{KeyKind::kBackspace};
    case KEY_DC:
      return Key{KeyKind::kDelete};
    case KEY_ENTER:
      return Key{KeyKind::kEnter};
    default:
      return std::nullopt;
  }
}

std::optional<Key> CharacterKey(wint_t code) {
  switch (code) {
    case '\t':
      return Key{KeyKind::kNext};
    case '\r':
    case '\n':
      return Key{KeyKind::kEnter};
    case kEscape:
      return Key{KeyKind::kEscape};
    case kCtrlC:
      return Key{KeyKind::kInterrupt};
    case '\b':
    case kDeleteCharacter:
      return Key{KeyKind::kBackspace};
    default:
      if (code < 0x20) return std::nullopt;  // other control characters mean nothing here
      return Key{KeyKind::kCharacter, static_cast<char32_t>(code)};
  }
}

}  // namespace

PageOutcome RunPageOnTerminal(PageEditor& editor, const std::function<bool()>& apply) {
  SignalGuard signals;
  CursesScreen curses;
  if (!CursesScreen::LargeEnough()) {
    const std::string size = CursesScreen::SizeText();
    throw std::runtime_error("the terminal is " + size + "; the property page needs at least " +
                             std::to_string(kPageColumns) + "x" + std::to_string(kPageRows) +
                             " (columns x rows)");
  }
  while (true) {
    const bool fits = CursesScreen::LargeEnough();
    if (fits) {
      Draw(LayOutPage(editor));
    } else {
      DrawTooSmall();
    }
    std::optional<Key> key;
    while (!key) {
      if (g_signal != 0) return {PageEnd::kInterrupted, g_signal};
      wint_t code = 0;
      const int status = get_wch(&code);
      if (status == KEY_CODE_YES && code == KEY_RESIZE) break;
      if (status == KEY_CODE_YES) key = FunctionKey(code);
      if (status == OK) key = CharacterKey(code);
    }
    if (!key) continue;  // resized: draw again
    if (!fits && key->kind != KeyKind::kEscape && key->kind != KeyKind::kInterrupt) continue;
    switch (editor.HandleKey(*key)) {
      case PageAction::kApply:
        if (apply()) return {PageEnd::kApplied};
        break;
      case PageAction::kCancel:
        return {PageEnd::kCancelled};
      case PageAction::kInterrupt:
        return {PageEnd::kInterrupted, SIGINT};
      case PageAction::kNone:
        break;
    }
  }
}

}  // namespace orvulink::cli
