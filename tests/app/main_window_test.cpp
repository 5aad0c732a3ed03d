// The window's completion of the input field's text, without the window.
#include "app/main_window.h"

#include "runtime/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Only a well-formed record without its checksum field gets one appended; any other text is
// taken to end in its checksum field. The field's first line is the record.
TEST(MainWindow, CompletesTheFieldsFirstLine) {
    const std::pair<const char *, const char *> cases[] = {
        {":00000001", ":00000001FF"},
        {":00000001FF", ":00000001FF"},
        {":0000000100", ":00000001FF"},
        {":02000004ffff", ":02000004ffffFC"},
        {":00000001\r\n:1000", ":00000001FF"},
        {":0000000100\n", ":00000001FF"},
        {":0000000G", ":00000000"}, // no record: its last two characters are the checksum field
        {":", "00"},
        {"", "00"},
    };
    for (auto [field, expected] : cases) {
        WorkspaceScope scope;
        EXPECT_EQ(std::string(CompleteInputLine(field, scope.Start())), expected) << field;
    }
}

} // namespace
