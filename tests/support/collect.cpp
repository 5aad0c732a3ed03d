// SPDX-License-Identifier: MIT
#include "tests/support/collect.h"

#include "core/hex_image.h"
#include "runtime/file_channels.h"

#include <string>
#include <vector>

namespace collect {

namespace {

void Add(void *lines, const std::string &line) {
    static_cast<std::vector<std::string> *>(lines)->push_back(line);
}

} // namespace

void Finding(void *findings, const ::Finding &finding) {
    std::string n = std::to_string(finding.line);
    if (finding.kind == FINDING_CHECKSUM)
        Add(findings, n + " checksum " + std::string(finding.written, 2) + " " +
                          std::string(finding.right, 2));
    else if (finding.kind == FINDING_LINE_END)
        Add(findings, n + " line end");
    else
        Add(findings, n + " malformed " + std::to_string(finding.length) + " " +
                          std::to_string(finding.notDigit) + " " +
                          std::to_string(finding.expected));
}

void Structure(void *findings, const StructureFinding &f) {
    Add(findings, std::to_string(f.line) + " " + std::to_string(f.kind) + " " +
                      std::to_string(f.type) + " " + std::to_string(f.count) + " " +
                      std::to_string(f.other) + " " + std::to_string(f.address));
}

void Stretch(void *stretches, int64_t line, uint64_t from, uint64_t to) {
    Add(stretches,
        std::to_string(line) + " " + std::to_string(from) + " " + std::to_string(to - 1));
}

SetRun SetAsTheTool(const char *path, const ByteSettingList &settings, bool shortcut) {
    SetRun run{};
    std::vector<ImageRange> ranges;
    for (int32_t i = 0; i < settings.count; ++i)
        ranges.push_back({static_cast<uint32_t>(settings.items[i].address),
                          static_cast<uint32_t>(settings.items[i].address) +
                              static_cast<uint32_t>(settings.items[i].count) - 1,
                          true});
    HexImage image{};
    BeginHexImage(image, ranges.data(), static_cast<int32_t>(ranges.size()));
    run.read =
        WalkHexFile(path, WALK_CHECK, HexImageSink, &image, &run.first, HexImageVisitor, &image);
    EndHexImage(image);
    if (image.addresses.unknownLine)
        run.refusal = "unknown " + std::to_string(image.addresses.unknownLine);
    for (int32_t i = 0; run.refusal.empty() && i < settings.count; ++i) {
        const ByteSetting &setting = settings.items[i];
        WriteRefusal refusal =
            WriteHolders(image, static_cast<uint32_t>(setting.address), setting.count);
        if (refusal.refused)
            run.refusal = std::to_string(refusal.address) + " " + std::to_string(refusal.first) +
                          " " + std::to_string(refusal.second) + " " + std::to_string(refusal.late);
    }
    ReleaseImageBytes(image);
    if (run.read == 1 && run.refusal.empty()) {
        run.tally = run.first;
        SetWrite write = BeginSetWrite(settings, image, Stretch, &run.stretches);
        run.shortcut =
            shortcut && !run.first.unsettled && !run.first.malformed && !run.first.lastRecordOpen;
        if (run.shortcut && OpenChannelUpdate(WALK_CHANNEL, path)) {
            run.written = SetFoundBytes(WALK_CHANNEL, write, &run.tally);
            CloseChannel(WALK_CHANNEL);
        } else {
            run.written =
                WalkHexFile(path, WALK_PATCH, nullptr, nullptr, &run.tally, SetHeldBytes, &write);
        }
        run.complete = SetWriteComplete(write);
        run.records = write.records;
    }
    ReleaseHexImage(image);
    return run;
}

} // namespace collect
