#pragma once

// The casting data: the wire list the operator works through, as the wiring design tools export
// it. A tab-separated text file (Shift_JIS, CR LF; LF alone is accepted too) of data sets (a
// drawing's wires of one kind, size and colour) and, under each set, one line per wire.
//
// Line kinds, in file order:
// - a section marker: a line with a single field containing "ジャンパ線", "シールドアミ線" or
//   "ショートバー" switches the section kind to 1, 2 or 3 for the wire headers that follow;
// - a set header: first field "製造番号" (after removing its delimiters); it names the columns
//   of the set lines that follow;
// - a set line: at least seven fields while the last header was a set header;
// - a wire header: first field exactly "No"; it names the columns of the wire lines that follow,
//   one header for the normal section and one for the special sections;
// - a wire line: any other line while the last header was a wire header.
// Value cells and set column names are enclosed in a pair of delimiters (double quotes), which
// are removed without being checked. Counts are whole numbers without the 16-bit limit the
// files of earlier versions were read with.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Messenger.h"

namespace kablos {

struct CastingSet {
    std::string MfgNo;             ///< 製造番号
    std::string DrawingNo;         ///< 図番
    std::string PanelNo;           ///< 盤Ｎｏ
    std::string CircuitClass;      ///< 回路区分
    std::string WireKind;          ///< 線種類
    std::string WireSize;          ///< 電線サイズ
    std::string ColorLabel = "-";  ///< 電線色, or "(" + code + ")" for a colour subset
    int WireCount = 0;             ///< wires of the set (本数)
    int SectionKind = 0;  ///< 0 normal, 1 ジャンパ線, 2 シールドアミ線, 3 ショートバー
    std::string DeviceUnit;  ///< 装置ユニット
    int SpecialFlg = -1;     ///< non-zero: shown only with the environment's WtkFlag 1
    int DoneFlg = 0;         ///< 1 when every wire of the set is done
    std::string ColorCode;   ///< the two characters of a colour subset's key
};

struct CastingWire {
    int SetIndex = 0;
    std::string No;
    std::string PlaceAddrF;  ///< 配置アドレス(F)
    std::string DeviceNoF;   ///< 器具番号(F)
    std::string TermNoF;     ///< 端子No(F)
    std::string CrimpF;      ///< 圧着(F): the From terminal type, "NULL" when empty
    std::string WireNo;      ///< 線番
    std::string PlaceAddrT;
    std::string DeviceNoT;
    std::string TermNoT;
    std::string CrimpT;
    std::string TermColor;    ///< 端末色
    std::string SpecialCode;  ///< 特殊
    std::string LineColor;    ///< 線色
    std::string MeasLen;      ///< 測長(mm), the text of its numeric value
    int DoneFlg = 0;
};

struct CastingData {
    std::vector<CastingSet> sets;
    std::vector<CastingWire> wires;
};

struct CastingReadResult {
    bool ok = true;
    int line = 0;        ///< line of the failure, from 1
    std::string reason;  ///< the failure in words
};

/// Parses UTF-8 casting text into `data`, replacing both tables. On failure the tables hold
/// what was read up to the failing line.
CastingReadResult ParseCastingText(std::string_view text, CastingData& data);

/// Reads a casting data file (process code page) into `data`. On failure shows
/// "キャスティングデータがの読み込みに失敗しました。(" + path + ")" and returns false; the
/// failure in words is left in `why` when given.
bool ReadCastingData(const std::filesystem::path& path, CastingData& data, Messenger& messenger,
                     std::string* why = nullptr);

}  // namespace kablos
