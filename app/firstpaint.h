#pragma once

class QWidget;

// For the start-up benchmark (tools/startbench): once the window has painted
// for the first time, writes the line "ox8-first-paint" to stderr, and with
// the value "exit" ends the program the normal way. Set through the
// environment variable OX8_BENCH_FIRST_PAINT; does nothing without it.
void reportFirstPaint(QWidget *window);
