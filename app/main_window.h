// SPDX-License-Identifier: MIT
/*
 * The main routine: window 0 with its nine controls, the patch of a file named on the command
 * line, and the event loop that carries out the five buttons and ends on the window's close
 * event (its close box, or Escape in it) or a quit message.
 *
 * RunMainWindow returns the process exit code (app/command_line.h): 0 when all went well, 1
 * when a file named on the command line could not be opened, read or written (or a check was
 * given no file) or when the window could not be opened, 2 when a check found a wrong or
 * malformed record. The output field shows the input field's text completed by
 * CompleteRecordLine (core/record.h). The libraries must have been initialised by start-up.
 */
#pragma once

#include <cstdint>

int32_t RunMainWindow();
