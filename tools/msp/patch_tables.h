#pragma once
// What a patch changes in the tables besides the upgraded package's own differences:
// the files it brings take sequence numbers after the target's media, and the patch's
// own media row (its cabinet inside the patch) and PatchPackage row are added.
#include "table_model.h"

#include <cstdint>
#include <string>

namespace orvh::msp {

// File attribute of a file the patch adds.
constexpr std::int32_t kPatchAddedFile = 0x1000;

// Highest LastSequence of the Media table; 0 when it has no rows.
std::int32_t LastSequence(const Tables& tables);

// Gives every File row of `upgraded` that differs from `target` (or whose MsiFileHash row
// does) or is new a sequence number after `lastSequence`, in the upgraded package's
// sequence order, and new files the PatchAdded attribute. Returns the last number given,
// `lastSequence` when no file changed.
std::int32_t SequencePatchedFiles(const Tables& target, Tables& upgraded, std::int32_t lastSequence);

struct PatchMedia {
    std::wstring patchCode;       // {GUID}
    std::wstring cabinetStream;   // name of the cabinet's stream in the patch
    std::wstring sourceProperty;  // property the installer sets to the patch's path
    std::int32_t lastSequence = 0;
};

// The tables with a Media row for the patch's cabinet (the next free DiskId, Cabinet
// "#" + stream) and a PatchPackage table tying the patch code to it.
Tables WithPatchMedia(const Tables& tables, const PatchMedia& media);

} // namespace orvh::msp
