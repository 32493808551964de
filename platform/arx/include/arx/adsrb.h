#pragma once

// Result buffers: the linked lists in which the CAD host passes typed values (extended data,
// command arguments, system variables), with the codes of their value types and the functions
// that build and release them. Text is UTF-8.

#include <cstdint>

using ACHAR = char;
using ads_real = double;
using ads_point = ads_real[3];
using ads_name = std::int64_t[2];

struct ads_binary {
    short clen;
    char* buf;
};

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    ACHAR* rstring;
    std::int32_t rlong;
    std::int64_t mnInt64;
    ads_name rlname;
    ads_binary rbinary;
    unsigned char ihandle[8];
};

struct resbuf {
    resbuf* rbnext;
    short restype;
    ads_u_val resval;
};

// Result type codes of values that are not drawing-file group codes.
constexpr int RTNONE = 5000;
constexpr int RTREAL = 5001;
constexpr int RTPOINT = 5002;
constexpr int RTSHORT = 5003;
constexpr int RTANG = 5004;
constexpr int RTSTR = 5005;
constexpr int RTENAME = 5006;
constexpr int RTPICKS = 5007;
constexpr int RTORINT = 5008;
constexpr int RT3DPOINT = 5009;
constexpr int RTLONG = 5010;
constexpr int RTVOID = 5014;
constexpr int RTLB = 5016;
constexpr int RTLE = 5017;
constexpr int RTDOTE = 5018;
constexpr int RTNIL = 5019;
constexpr int RTDXF0 = 5020;
constexpr int RTT = 5021;
constexpr int RTRESBUF = 5023;
constexpr int RTMODELESS = 5027;
constexpr int RTLONG_PTR = 5030;
constexpr int RTINT64 = 5031;

// Status codes of the host's functions.
constexpr int RTNORM = 5100;
constexpr int RTERROR = -5001;
constexpr int RTCAN = -5002;
constexpr int RTREJ = -5003;
constexpr int RTFAIL = -5004;
constexpr int RTKWORD = -5005;

/// What the value union of a result buffer with type `restype` holds.
enum class AcRbKind { None, Real, Point, Short, Long, Int64, String, Name, Binary };
AcRbKind acutResbufKind(int restype);

/// Builds a chain from (type, value) pairs ended by 0; values follow the kind of their type:
/// strings as const ACHAR*, reals as double, points as const ads_real* (three values), shorts and
/// longs as int, names as const std::int64_t* (two values). Returns null for an unknown type.
resbuf* acutBuildList(int restype, ...);
/// One result buffer of `type`, its value zeroed.
resbuf* acutNewRb(int type);
/// Releases a whole chain and the texts and binary chunks it owns. Always RTNORM.
int acutRelRb(resbuf* chain);
/// A copy of `text` for a result buffer (freed by acutRelRb or acutDelString).
ACHAR* acutNewString(const ACHAR* text);
void acutDelString(ACHAR*& text);
