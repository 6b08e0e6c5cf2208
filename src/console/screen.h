// The virtual 80x25 console: the one truth about what the screen shows.
//
// It owns the cells, the cursor, the attribute of later text and the two stored
// colours, and offers the classic console-library operations over them. Game
// code writes its text here through cprintf and conout, never to a file
// descriptor; the renderer (renderer.h) later sends what changed to the terminal.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace conio {

constexpr int screenWidth = 80;   // columns, counted from 1
constexpr int screenHeight = 25;  // rows, counted from 1

// One character cell: a code page 437 byte and its attribute
// (bits 0-3 foreground, 4-7 background; bit 0 blue, 1 green, 2 red, 3 bright).
struct Cell {
  unsigned char ch = ' ';
  std::uint16_t attr = 7;
  friend bool operator==(const Cell&, const Cell&) = default;
};

// The stored colours, private to the layer in spirit: textbackground and
// textcolor write them; clrscr, textbackground and textcolor read them.
extern int BACKGROUND;  // starts 0, black
extern int FOREGROUND;  // starts 7, light grey

// --- The console operations (1-based column first, row second) ---
void clrscr();    // every cell blank in the stored colours; cursor to (1, 1)
void clreol();    // blanks from the cursor to the end of its row; attributes kept
void delline();   // blanks the rest of the cursor's row; no line moves
int _conio_gettext(int left, int top, int right, int bottom, char* text);
void gotoxy(int column, int row);  // refused (cursor stays) outside the screen
void puttext(int left, int top, int right, int bottom, const char* text);
void _setcursortype(int size);     // 1..100 accepted, anything else refused
void textattr(int attribute);
void textbackground(int color);
void textcolor(int color);
int wherex();
int wherey();  // 26 once text has run below the last row

// --- Text output, standing in for standard output ---
// Writes bytes at the cursor: line feed, carriage return, backspace, bell and
// tab have their console meanings, every other byte is stored in a cell.
void putText(std::string_view bytes);
// Formatted print at the cursor; returns the number of bytes written.
int cprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Stream output at the cursor (std::endl and flush are harmless: nothing is buffered).
extern std::ostream conout;

// --- Read-back, for the renderer and for tests ---
const Cell& cellAt(int column, int row);  // column 1..80, row 1..25
std::string rowText(int row);             // the 80 bytes of a row, as stored
int cursorSize();                         // the size _setcursortype last accepted
int textAttribute();                      // the attribute of later text
// Counts every change to a cell or the cursor, so a renderer can tell that
// nothing changed without comparing the cells.
std::uint64_t screenVersion();
// Back to the state at program start: blank cells in attribute 7, cursor at
// (1, 1), stored colours 0 and 7, cursor size 25.
void resetScreen();

}  // namespace conio
