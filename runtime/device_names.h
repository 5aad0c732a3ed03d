// SPDX-License-Identifier: MIT
/*
 * Which paths reach a device rather than a file on Windows, as Windows 10 and 11 read them: a
 * rule of the names alone that asks nothing of the system, so that every platform tests it.
 *
 * NamesDevice takes a path of length UTF-16 units (the text needs no end):
 * - \\?\ written with backslashes hands the rest to the system as it is: a path on a drive
 *   (X:\...) or a share (UNC\...) there holds files whatever their names; anything else, such
 *   as GLOBALROOT, a volume (\\?\Volume{...}, \\?\C:) or a disk, is a device;
 * - the device namespaces \\.\ and \??\, and \\?\ with a forward slash (the system reads it
 *   as \\.\), either slash counting in them, reach pipes, ports, disks and the like;
 * - in any other path the last name is a device, in any folder, when what comes before its
 *   first "." or ":", without the blanks at its end, is a device name: CON, PRN, AUX, NUL, COM
 *   and LPT with a number (1 to 9, or superscript 1, 2 or 3), CONIN$ or CONOUT$;
 * - on a share (\\server\share\..., also behind \\?\UNC\), the shares PIPE and MAILSLOT are
 *   a server's named pipes and mailslots, not files.
 * Nothing fails.
 */
#pragma once

#include <cstdint>

bool NamesDevice(const wchar_t *path, int32_t length);
