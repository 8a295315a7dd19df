#pragma once

#include <QtGlobal>
#include <span>

namespace fin {

// A row of the official account frame: a class (1 digit), a group (2) or a synthetic
// account (3) with its official name.
struct TFrameEntry {
    const char* number;
    const char* description;
};

// A voucher type the system itself uses; its id and its number are the same.
struct TSystemPreceptType {
    int id;
    const char* name;
};

std::span<const TSystemPreceptType> SystemPreceptTypes();
// The group voucher that merged vouchers name as their parent.
inline constexpr qint64 kGroupPreceptType = 30;
// The frame before 2014 (table accountframe) and from 2014 on (accountframenew).
std::span<const TFrameEntry> OldAccountFrame();
std::span<const TFrameEntry> NewAccountFrame();

}  // namespace fin
