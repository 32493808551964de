#pragma once

// The CAD host's editor and application services under their own names, as the program
// `cadhost` provides them to the plug-ins it loads: the command line (acutPrintf), alerts and
// message boxes, prompts, system variables, selection sets, running commands (acedCmdS), the
// status-bar progress meter, the editor reactor registry and the document manager's reactors
// and documents. Text is UTF-8 (ACHAR is char).
//
// A plug-in does not link the libraries that define these: it is loaded into `cadhost`, which
// exports them (and the drawing database of arx/acdb.h) to it. Test programs that link the
// plug-in's code directly link `arxhost` instead. platform/host/README.md says how prompts and
// message boxes are answered.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "arx/acdb.h"

// --- the command line, alerts and message boxes
// ----------------------------------------------------

/// Prints on the command line; formats like printf. Returns the characters printed.
int acutPrintf(const ACHAR* format, ...) __attribute__((format(printf, 1, 2)));

/// Shows `message` in an alert box with one OK button. RTNORM.
int acedAlert(const ACHAR* message);

/// The owner of the plug-in's message boxes and dialogs.
using HWND = void*;
HWND acedGetAcadFrame();

// Message box styles: buttons, icon and default button, or-ed together.
constexpr unsigned int MB_OK = 0x0;
constexpr unsigned int MB_OKCANCEL = 0x1;
constexpr unsigned int MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned int MB_YESNOCANCEL = 0x3;
constexpr unsigned int MB_YESNO = 0x4;
constexpr unsigned int MB_RETRYCANCEL = 0x5;
constexpr unsigned int MB_ICONERROR = 0x10;
constexpr unsigned int MB_ICONHAND = MB_ICONERROR;
constexpr unsigned int MB_ICONSTOP = MB_ICONERROR;
constexpr unsigned int MB_ICONQUESTION = 0x20;
constexpr unsigned int MB_ICONWARNING = 0x30;
constexpr unsigned int MB_ICONEXCLAMATION = MB_ICONWARNING;
constexpr unsigned int MB_ICONINFORMATION = 0x40;
constexpr unsigned int MB_ICONASTERISK = MB_ICONINFORMATION;
constexpr unsigned int MB_DEFBUTTON1 = 0x000;
constexpr unsigned int MB_DEFBUTTON2 = 0x100;
constexpr unsigned int MB_DEFBUTTON3 = 0x200;

// The buttons a message box answers with.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

/// A modal message box; returns the button chosen (IDOK ... IDNO).
int MessageBox(HWND owner, const ACHAR* text, const ACHAR* caption, unsigned int type);
/// A message box with the application's title as caption.
int AfxMessageBox(const ACHAR* text, unsigned int type = MB_OK);

// --- prompts
// ---------------------------------------------------------------------------------------

/// Asks for a text; `allowBlanks` non-zero lets the answer hold blanks. At most `bufLen` - 1
/// bytes are returned. RTNORM, RTCAN (cancelled) or RTERROR.
int acedGetString(int allowBlanks, const ACHAR* prompt, ACHAR* result, std::size_t bufLen);
/// Asks for a point ("x,y" or "x,y,z"); `base` may be null. RTNORM, RTCAN, RTNONE (empty
/// answer) or RTERROR.
int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result);
// Input control bits of acedInitGet.
constexpr int RSG_NONULL = 1;  // an empty answer is not accepted
constexpr int RSG_NOZERO = 2;  // zero is not accepted
constexpr int RSG_NONEG = 4;   // a negative number is not accepted

/// Sets the input control bits and the keywords (separated by blanks; the capital letters of a
/// keyword are its abbreviation, "eXit" is "X") for the next prompt only. RTNORM.
int acedInitGet(int flags, const ACHAR* keywords);
/// Asks for a whole number or a real number. RTNORM, RTNONE (empty answer), RTKWORD (a keyword
/// of acedInitGet, read it with acedGetInput), RTCAN. Answers that are not numbers, or break
/// the control bits, are asked again.
int acedGetInt(const ACHAR* prompt, int* result);
int acedGetReal(const ACHAR* prompt, ads_real* result);
/// Asks for one of the keywords of acedInitGet; RTNORM with the keyword, RTNONE, RTCAN.
int acedGetKword(const ACHAR* prompt, ACHAR* result, std::size_t bufLen);
/// The keyword the last prompt returned RTKWORD for. RTNORM.
int acedGetInput(ACHAR* result, std::size_t bufLen);
/// Asks for a file name (a file dialog on the host); `result` receives an RTSTR buffer whose
/// text the caller frees with acutDelString (or acutRelRb of the buffer's text). RTNORM or
/// RTCAN.
int acedGetFileD(const ACHAR* title, const ACHAR* defaultName, const ACHAR* extension, int flags,
                 resbuf* result);
/// Looks for `name` as given, then in the current drawing's folder and the program's support
/// folders. RTNORM with the full path, RTERROR when not found.
int acedFindFile(const ACHAR* name, ACHAR* result, std::size_t bufLen);

// --- system variables
// ------------------------------------------------------------------------------

/// The value of a system variable (RTSHORT, RTREAL, RTSTR or RT3DPOINT; a text is allocated
/// and freed by the caller with acutDelString). RTNORM, or RTERROR for an unknown name.
int acedGetVar(const ACHAR* name, resbuf* result);
/// Sets a system variable; RTNORM, RTERROR for an unknown or read-only name or a value of the
/// wrong type.
int acedSetVar(const ACHAR* name, const resbuf* value);

// --- selection sets
// ---------------------------------------------------------------------------------

/// Builds a selection set. `mode`: null (the user selects), "I" (the implied, pick-first
/// selection), ":$" (the user selects with the prompts of `pt1`: two const ACHAR* texts),
/// ":S" or "_:S" (one pick), "X" (all entities of the current space), "W" and "C" (window and
/// crossing from `pt1` to `pt2`), "P" (previous), "L" (last). `filter` is a DXF chain with
/// entity type (0, or RTDXF0 in acutBuildList), block name (2) and layer (8) conditions
/// (wildcards, case-insensitive) grouped by -4 "<AND" "AND>" "<OR" "OR>" "<NOT" "NOT>"; any
/// other code fails the selection. RTNORM with a new set, RTCAN, or RTERROR when nothing is
/// selected.
int acedSSGet(const ACHAR* mode, const void* pt1, const void* pt2, const resbuf* filter,
              ads_name ss);
int acedSSFree(const ads_name ss);
int acedSSLength(const ads_name ss, Adesk::Int32* length);
/// The entity name at `index`; RTERROR past the end.
int acedSSName(const ads_name ss, Adesk::Int32 index, ads_name entity);
/// Adds `entity` to `ss` (a new set when `ss` is null or `entity` is null for an empty set).
int acedSSAdd(const ads_name entity, const ads_name ss, ads_name result);
/// Makes `pickfirst` the implied selection (null clears it); `grips` is accepted and not used.
int acedSSSetFirst(const ads_name grips, const ads_name pickfirst);

// --- commands
// ---------------------------------------------------------------------------------------

/// Runs a host command from an argument chain (RTSTR command name, then its answers as RTSTR,
/// RTENAME, RTPICKS, RT3DPOINT, RTREAL, RTSHORT ...). The editor reactors hear the command as a
/// nested command. RTNORM, or RTERROR for an unknown command or answers it cannot take.
int acedCmdS(const resbuf* args);

// --- text and numbers
// --------------------------------------------------------------------------------

/// True when `string` matches the comma-separated wildcard `pattern` ("#" digit, "@" letter,
/// "." non-alphanumeric, "*" any run, "?" one character, "~" negates, "[...]" a class, "`"
/// escapes).
bool acutWcMatchEx(const ACHAR* string, const ACHAR* pattern, bool ignoreCase);
/// A real number as text: unit 1 scientific, 2 decimal, ... `precision` places. RTNORM.
int acdbRToS(ads_real value, int unit, int precision, ACHAR* result, std::size_t bufLen);

// --- progress meter
// -------------------------------------------------------------------------------------

/// Shows a progress meter from `min` to `max` with `label`; returns 0.
int acedSetStatusBarProgressMeter(const ACHAR* label, int min, int max);
/// Moves it to `position`; returns 0.
int acedSetStatusBarProgressMeterPos(int position);
void acedRestoreStatusBar();

// --- editor reactors
// ----------------------------------------------------------------------------------

/// Notifications around every command the editor runs (nested ones included).
class AcEditorReactor : public AcRxObject {
public:
    ARX_DECLARE_MEMBERS(AcEditorReactor)
    virtual void commandWillStart(const ACHAR* cmdStr);
    virtual void commandEnded(const ACHAR* cmdStr);
    virtual void commandCancelled(const ACHAR* cmdStr);
    virtual void commandFailed(const ACHAR* cmdStr);
};

/// The editor: the object registered as "AcEditor" in the system registry.
class AcEditor : public AcRxObject {
public:
    ARX_DECLARE_MEMBERS(AcEditor)
    void addReactor(AcEditorReactor* reactor);
    void removeReactor(AcEditorReactor* reactor);
};

/// The system registry: named service objects.
class AcRxDictionary {
public:
    /// The object registered under `name`, or null.
    AcRxObject* at(const ACHAR* name) const;
};
AcRxDictionary* acrxSysRegistry();

// --- input-point monitors
// ---------------------------------------------------------------------------------
/// Watches the points the user picks. The host calls no monitor (it has no pointing device);
/// the class is there for plug-in classes that are monitors by their design.
class AcEdInputPointMonitor {
public:
    virtual ~AcEdInputPointMonitor() = default;
    /// May change the point being picked and its tool tip; returns eOk.
    virtual Acad::ErrorStatus monitorInputPoint(bool& appendToTooltipStr,
                                                ACHAR*& additionalTooltipString) = 0;
    /// True to keep this monitor's entities out of the object-snap calculation.
    virtual bool excludeFromOsnapCalculation(const std::vector<AcDbObjectId>& nestedEntity,
                                             std::intptr_t gsSelectionMark) = 0;
};

// --- documents
// ---------------------------------------------------------------------------------------

/// Notifications of the document manager.
class AcApDocManagerReactor {
public:
    virtual ~AcApDocManagerReactor() = default;
    virtual void documentCreated(AcApDocument* document);
    virtual void documentToBeDestroyed(AcApDocument* document);
    virtual void documentBecameCurrent(AcApDocument* document);
};

// The document manager's operations that arx's AcApDocManager leaves to the host:
// acDocManagerPtr()->addReactor(r) is written acDocManagerAddReactor(r) here.
void acDocManagerAddReactor(AcApDocManagerReactor* reactor);
void acDocManagerRemoveReactor(AcApDocManagerReactor* reactor);
/// The open documents, in the order they were opened.
int acDocManagerDocumentCount();
AcApDocument* acDocManagerDocumentAt(int index);
/// Opens a drawing as a new document and makes it current (appContextOpenDocument). eOk, or
/// the status of the read (eFileNotFound, eBadDxfFile ...).
Acad::ErrorStatus acDocManagerOpenDocument(const ACHAR* fileName);
/// Makes an open document current (activateDocument).
Acad::ErrorStatus acDocManagerActivateDocument(AcApDocument* document);
/// True while the host runs in the application context rather than inside a command;
/// cadhost runs the plug-in's commands in the document context.
bool acDocManagerIsApplicationContext();
/// Runs `function(data)` in the application context (executeInApplicationContext).
void acDocManagerExecuteInApplicationContext(void (*function)(void*), void* data);
