#pragma once

// The ids of the plug-in's string table (resources/routix/ROUTIX.*.txt): messages, captions,
// prompts, labels and column headers of every command.

namespace routix {

inline constexpr unsigned IDS_RUN_WP_FROMTO_FIRST = 101;       // "Execute WP-FromTo previously."
inline constexpr unsigned IDS_CAPTION_EXPLORED_DRAWING = 102;  // "Drawing of Exploring Panel"
inline constexpr unsigned IDS_SELECT_FILE = 103;               // "Select the file"
inline constexpr unsigned IDS_OPEN_PROJECT = 104;              // "Open the project."
inline constexpr unsigned IDS_MIRROR_AXIS_PROMPT = 105;        // "Specify the location of ..."
inline constexpr unsigned IDS_SELECTION_NOT_CORRECT = 106;     // "The selecting objects is ..."
inline constexpr unsigned IDS_CAPTION_TERMS_INSIDE = 113;    // "Place Terminal Block inside Panel"
inline constexpr unsigned IDS_CAPTION_TERMS_BETWEEN = 114;   // "... Connecting Panels"
inline constexpr unsigned IDS_CAPTION_TERMS_DOOR = 115;      // "Place Terminal Block on Door"
inline constexpr unsigned IDS_INPUT_PATH_INCORRECT = 119;    // "The input path is incorrect."
inline constexpr unsigned IDS_NO_DWG_IN_FOLDER = 120;        // "DWG file does not exist ..."
inline constexpr unsigned IDS_SURPLUS_LENGTH = 122;          // "Specify Surplus Length"
inline constexpr unsigned IDS_NO_LAYOUT_FOLDER = 123;        // "Cannot find LAYOUT folder."
inline constexpr unsigned IDS_NOT_EXPLORED_DRAWING = 127;    // "The current drawing is not ..."
inline constexpr unsigned IDS_CAPTION_DIRECTION_TERM = 137;  // "... (Terminal Block)"
inline constexpr unsigned IDS_CAPTION_DIRECTION_GENERAL = 138;  // "Specify Direction of Wire"
inline constexpr unsigned IDS_SELECT_BAN_SYMBOL = 139;          // "Select symbol (Type = BAN) : "
inline constexpr unsigned IDS_NO_DATABASE_INFO = 142;           // "Cannot get valid database ..."
inline constexpr unsigned IDS_FROM_TOP = 143;                   // "from Top"
inline constexpr unsigned IDS_FROM_BOTTOM = 144;                // "from Bottom"
inline constexpr unsigned IDS_FROM_LEFT = 145;                  // "from Left"
inline constexpr unsigned IDS_FROM_RIGHT = 146;                 // "from Right"
inline constexpr unsigned IDS_EMPTY = 147;                      // "Empty"
inline constexpr unsigned IDS_SAME_TERMINAL_TYPE =
    148;  // "Select Terminal Block of the same type."
inline constexpr unsigned IDS_CAPTION_CONFIRM_DIRECTION = 150;  // "Confirm Direction of Wire"
inline constexpr unsigned IDS_NO_VALID_TERMINAL = 151;          // "Valid terminal does not exist."
inline constexpr unsigned IDS_NO_PANEL_NO_IN_TITLE = 170;  // "Failed to get Panel No. from Title."
inline constexpr unsigned IDS_COLUMN_TERMINAL_NUMBER = 187;  // "Terminal Number"
inline constexpr unsigned IDS_COLUMN_TUBE_DIRECTION = 190;   // "Direction of Tube"
inline constexpr unsigned IDS_NOT_LAYOUT_DRAWING = 192;      // "... nor Panel drawing."
inline constexpr unsigned IDS_CAPTION_EXPLORED_FILES = 194;  // caption of 195 and 196
inline constexpr unsigned IDS_EXPLORED_EXISTS = 195;       // "The explored drawing <%1> exists ..."
inline constexpr unsigned IDS_EXPLORED_OPEN = 196;         // "Explored Drawing <%1> is opened ..."
inline constexpr unsigned IDS_CAPTION_PLACE_TERMS = 197;   // "Place Internal Terminal Block"
inline constexpr unsigned IDS_DRAWINGS_IN_USE = 201;       // "Some drawings in the project ..."
inline constexpr unsigned IDS_COLUMN_PANEL = 202;          // "Panel"
inline constexpr unsigned IDS_COLUMN_EXPLORED_FILE = 203;  // "Explored drawing file"
inline constexpr unsigned IDS_COLUMN_CONNECTOR_TAG = 204;  // "Connector Tag"
inline constexpr unsigned IDS_COLUMN_WIRE_DIRECTION = 205;  // "Direction of Wire"
inline constexpr unsigned IDS_NEAREST_DUCT = 210;           // "Nearest Duct"
inline constexpr unsigned IDS_TARGET_ALL = 246;             // "All Terminals"
inline constexpr unsigned IDS_TARGET_PLATE = 247;           // "Terminals in the selected Plate"
inline constexpr unsigned IDS_TARGET_AREA = 248;            // "Select the area"
inline constexpr unsigned IDS_PROGRESS_UPDATING = 2654;     // "Updating..."
inline constexpr unsigned IDS_SYMBOL_TYPE = 2656;           // "\nSymbol Type [%s]" (printf form)
inline constexpr unsigned IDS_LAYOUT_PATH_PROMPT = 2657;    // "\nLAYOUT PATH :"
inline constexpr unsigned IDS_PROGRESS_SYMBOLS = 2658;      // "Getting symbol information..."
inline constexpr unsigned IDS_CANNOT_OPEN_FILE = 2659;      // "\nCannot open the file (...)"
inline constexpr unsigned IDS_SELECT_PLATE = 2660;        // "\nSelect the plate to place a device."
inline constexpr unsigned IDS_NO_DUCT_LAYER = 2661;       // "\nFailed to find the layer (DCT*)."
inline constexpr unsigned IDS_NO_DUCT_SHAPE = 2662;       // "\nDuct shape doesn't exist ..."
inline constexpr unsigned IDS_NO_DUCT_MARK_FILE = 2663;   // "\nFailed to find the definition ..."
inline constexpr unsigned IDS_DUCT_LINES_DRAWN = 2664;    // "\nDrawed %d WP Duct lines." (printf)
inline constexpr unsigned IDS_DUCT_JUSTIFICATION = 2665;  // duct-drawing prompts, 2665 to 2670
inline constexpr unsigned IDS_DUCT_BASE_POINT = 2666;
inline constexpr unsigned IDS_DUCT_LENGTH = 2667;
inline constexpr unsigned IDS_DUCT_DIRECTION = 2668;
inline constexpr unsigned IDS_DUCT_NEXT_POINT = 2669;
inline constexpr unsigned IDS_DUCT_INVALID_VALUE = 2670;
inline constexpr unsigned IDS_LAYOUT_DRAWINGS_CREATED = 2673;  // "Created the layout drawings."
inline constexpr unsigned IDS_CAPTION_CHANGE_ALL = 2674;       // "Change all Direction of Wire"
inline constexpr unsigned IDS_PLACE_TERMS_COMBINATION =
    2675;                                                // "Place Internal Term (Combination)"
inline constexpr unsigned IDS_PLACE_TERMS_BLOCK = 2676;  // "Place Internal Term (Block)"

/// Every id above, for the tests that check both tables.
inline constexpr unsigned kAllMessageIds[] = {
    101,  102,  103,  104,  105,  106,  113,  114,  115,  119,  120,  122,  123,  127,  137,  138,
    139,  142,  143,  144,  145,  146,  147,  148,  150,  151,  170,  187,  190,  192,  194,  195,
    196,  197,  201,  202,  203,  204,  205,  210,  246,  247,  248,  2654, 2656, 2657, 2658, 2659,
    2660, 2661, 2662, 2663, 2664, 2665, 2666, 2667, 2668, 2669, 2670, 2673, 2674, 2675, 2676};

}  // namespace routix
