#pragma once

// TERVO's wiring data: per panel, the devices and the wire ends at their terminals, for the
// current and for the previous revision of the project. Each field is named after the
// back-panel list column it fills; how the destination columns are composed from the route
// kind and the terminal type is TERVO's rule.

#include <string>
#include <string_view>
#include <vector>

namespace zelko {

struct WpData;

/// Revisions of the wiring data.
inline constexpr int kRevisionCurrent = 0;
inline constexpr int kRevisionPrevious = 1;

struct BackDevice {
    std::string panelNo;
    std::string key;            ///< identifies the device within its panel; wire ends name it
    int orderKey = 0;           ///< first sort key of the devices
    std::string plate;          ///< "面"
    std::string addressPrefix;  ///< "配置アドレス" is prefix followed by number
    std::string addressNo;
    std::string unit;      ///< "装置ユニット"
    std::string tag;       ///< "器具番号"
    std::string partCode;  ///< "部品コード"
    std::string rating;    ///< "定格"
    std::string model;     ///< "型式"
};

/// One side of the wire at a terminal: side 1 is where the wire starts, side 2 where it ends.
struct BackWireSide {
    std::string panelNo;
    std::string tag;         ///< "器具番号１" / "器具番号２"
    std::string terminal;    ///< terminal the side reaches; "行先" is composed from it
    std::string destPrefix;  ///< prefix of a numbered destination ("%s%d-%s")
    std::string destNo;      ///< number text of a numbered destination
    std::string wireKind;    ///< "線種"
    std::string wireSize;    ///< "電線サイズ"
    std::string wireColor;   ///< "電線色"
    std::string special;     ///< "特殊"
};

struct BackWireEnd {
    std::string panelNo;
    std::string deviceKey;  ///< the BackDevice::key of the device the terminal belongs to
    std::string connectorTag;
    std::string terminalNo;    ///< "端子No"
    std::string wireNo;        ///< "線番"
    int kind = 0;              ///< wire kind code, part of a wire end's identity
    std::string routeKind;     ///< "BANKAN" between panels, "BANNAI" inside, "DOOR" on the door
    std::string terminalType;  ///< "CONV", "COIL", ...
    std::string partCode;      ///< part code of the device, for the terminal table lookup
    BackWireSide side[2];
};

struct BackWiring {
    std::vector<BackDevice> devices;    ///< in store order
    std::vector<BackWireEnd> wireEnds;  ///< in store order
};

/// Reads the devices and wire ends of `revision` of the plan's project. False, with
/// MakerLastError(), when the store cannot be read; a revision without data reads as empty.
bool BackWiringLoad(const WpData* plan, int revision, BackWiring& wiring);

}  // namespace zelko
