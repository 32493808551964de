// The host services of host/aced.h over host::Host.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include "common/text.h"
#include "host/Host.h"

using host::Host;
using host::Request;

// --- the command line, alerts, message boxes
// --------------------------------------------------------

int acutPrintf(const ACHAR* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    Host::Instance().Console() << text;
    Host::Instance().Console().flush();
    return size;
}

int acedAlert(const ACHAR* message) {
    Host::Instance().Console() << "\n*** alert ***\n"
                               << (message != nullptr ? message : "") << "\n*** end ***\n";
    Host::Instance().Console().flush();
    return RTNORM;
}

HWND acedGetAcadFrame() {
    static int frame;
    return &frame;
}

namespace {

struct ButtonSet {
    std::vector<std::pair<const char*, int>> buttons;
};

ButtonSet Buttons(unsigned int type) {
    switch (type & 0xF) {
        case MB_OKCANCEL:
            return {{{"OK", IDOK}, {"CANCEL", IDCANCEL}}};
        case MB_ABORTRETRYIGNORE:
            return {{{"ABORT", IDABORT}, {"RETRY", IDRETRY}, {"IGNORE", IDIGNORE}}};
        case MB_YESNOCANCEL:
            return {{{"YES", IDYES}, {"NO", IDNO}, {"CANCEL", IDCANCEL}}};
        case MB_YESNO:
            return {{{"YES", IDYES}, {"NO", IDNO}}};
        case MB_RETRYCANCEL:
            return {{{"RETRY", IDRETRY}, {"CANCEL", IDCANCEL}}};
        default:
            return {{{"OK", IDOK}}};
    }
}

const char* IconName(unsigned int type) {
    switch (type & 0xF0) {
        case MB_ICONERROR:
            return " ERROR";
        case MB_ICONQUESTION:
            return " QUESTION";
        case MB_ICONWARNING:
            return " WARNING";
        case MB_ICONINFORMATION:
            return " INFORMATION";
        default:
            return "";
    }
}

}  // namespace

int MessageBox(HWND, const ACHAR* text, const ACHAR* caption, unsigned int type) {
    Host& host = Host::Instance();
    const ButtonSet set = Buttons(type);
    std::string choices;
    for (const auto& [name, id] : set.buttons)
        choices += (choices.empty() ? "" : "/") + std::string(name);
    host.Console() << "\n*** message box \"" << (caption != nullptr ? caption : "") << "\" "
                   << choices << IconName(type) << " ***\n"
                   << (text != nullptr ? text : "") << "\n";
    int result = set.buttons.front().second;
    if (set.buttons.size() > 1) {
        const std::size_t defaultIndex =
            std::min<std::size_t>((type & 0xF00) >> 8, set.buttons.size() - 1);
        Request request{
            Request::Kind::MessageBox,
            std::string(caption != nullptr ? caption : "") + ": " + (text != nullptr ? text : ""),
            choices};
        for (;;) {
            const std::optional<std::string> answer = host.Ask(request);
            if (!answer) {
                // No answer: a box that can be cancelled is cancelled, else its default holds.
                const auto cancel =
                    std::find_if(set.buttons.begin(), set.buttons.end(),
                                 [](const auto& b) { return b.second == IDCANCEL; });
                result = cancel != set.buttons.end() ? IDCANCEL : set.buttons[defaultIndex].second;
                break;
            }
            const std::string word = common::ToUpper(std::string(common::Trim(*answer)));
            if (word.empty()) {
                result = set.buttons[defaultIndex].second;
                break;
            }
            const auto chosen = std::find_if(set.buttons.begin(), set.buttons.end(),
                                             [&](const auto& b) { return word == b.first; });
            if (chosen != set.buttons.end()) {
                result = chosen->second;
                break;
            }
            host.Console() << "(answer one of " << choices << ")\n";
        }
    }
    for (const auto& [name, id] : set.buttons)
        if (id == result)
            host.Console() << "*** answer: " << name << " ***\n";
    host.Console().flush();
    return result;
}

int AfxMessageBox(const ACHAR* text, unsigned int type) {
    return MessageBox(acedGetAcadFrame(), text, "AutoCAD", type);
}

// --- prompts
// -----------------------------------------------------------------------------------------

namespace {

bool IsCancel(const std::string& answer) {
    return common::EqualsNoCase(common::Trim(answer), "*CANCEL*");
}

// "x,y" or "x,y,z".
bool ParsePoint(std::string_view text, ads_point point) {
    const auto parts = common::Split(common::Trim(text), ',');
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    double values[3] = {0, 0, 0};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string part(common::Trim(parts[i]));
        char* end = nullptr;
        values[i] = std::strtod(part.c_str(), &end);
        if (part.empty() || *end != '\0')
            return false;
    }
    std::copy(values, values + 3, point);
    return true;
}

}  // namespace

namespace {

// What acedInitGet set for the next prompt, and the keyword of the last RTKWORD.
struct InputControl {
    int flags = 0;
    std::vector<std::string> keywords;
};
InputControl g_next;
std::string g_lastKeyword;

InputControl TakeInputControl() {
    InputControl control = std::move(g_next);
    g_next = InputControl();
    return control;
}

// The keyword `answer` names: the whole keyword or its capital letters, in any case.
std::optional<std::string> MatchKeyword(const InputControl& control, std::string_view answer) {
    const std::string wanted = common::ToUpper(std::string(common::Trim(answer)));
    if (wanted.empty())
        return std::nullopt;
    for (const std::string& keyword : control.keywords) {
        std::string capitals;
        for (char c : keyword)
            if (c >= 'A' && c <= 'Z')
                capitals += c;
        if (common::ToUpper(keyword) == wanted || capitals == wanted)
            return keyword;
    }
    return std::nullopt;
}

// Asks until the answer is a number that the control bits accept, a keyword, empty (when
// allowed) or cancelled.
template <class T>
int GetNumber(const ACHAR* prompt, T* result, bool whole) {
    const InputControl control = TakeInputControl();
    for (;;) {
        const auto answer =
            Host::Instance().Ask({Request::Kind::String, prompt != nullptr ? prompt : "", ""});
        if (!answer || IsCancel(*answer))
            return RTCAN;
        const std::string text(common::Trim(*answer));
        if (text.empty()) {
            if ((control.flags & RSG_NONULL) == 0)
                return RTNONE;
            Host::Instance().Console() << "\nAn answer is required.";
            continue;
        }
        if (const auto keyword = MatchKeyword(control, text)) {
            g_lastKeyword = *keyword;
            return RTKWORD;
        }
        char* end = nullptr;
        const double value = whole ? static_cast<double>(std::strtol(text.c_str(), &end, 10))
                                   : std::strtod(text.c_str(), &end);
        if (*end != '\0') {
            Host::Instance().Console()
                << (whole ? "\nRequires an integer value." : "\nRequires a numeric value.");
            continue;
        }
        if (((control.flags & RSG_NOZERO) != 0 && value == 0) ||
            ((control.flags & RSG_NONEG) != 0 && value < 0)) {
            Host::Instance().Console() << "\nValue out of range.";
            continue;
        }
        *result = static_cast<T>(value);
        return RTNORM;
    }
}

}  // namespace

int acedInitGet(int flags, const ACHAR* keywords) {
    g_next.flags = flags;
    g_next.keywords.clear();
    std::istringstream words(keywords != nullptr ? keywords : "");
    for (std::string word; words >> word;)
        g_next.keywords.push_back(word);
    return RTNORM;
}

int acedGetInt(const ACHAR* prompt, int* result) {
    return result != nullptr ? GetNumber(prompt, result, true) : RTERROR;
}

int acedGetReal(const ACHAR* prompt, ads_real* result) {
    return result != nullptr ? GetNumber(prompt, result, false) : RTERROR;
}

int acedGetKword(const ACHAR* prompt, ACHAR* result, std::size_t bufLen) {
    const InputControl control = TakeInputControl();
    for (;;) {
        const auto answer =
            Host::Instance().Ask({Request::Kind::String, prompt != nullptr ? prompt : "", ""});
        if (!answer || IsCancel(*answer))
            return RTCAN;
        if (common::Trim(*answer).empty() && (control.flags & RSG_NONULL) == 0)
            return RTNONE;
        if (const auto keyword = MatchKeyword(control, *answer)) {
            if (result == nullptr || keyword->size() >= bufLen)
                return RTERROR;
            std::memcpy(result, keyword->c_str(), keyword->size() + 1);
            return RTNORM;
        }
        Host::Instance().Console() << "\nInvalid option keyword.";
    }
}

int acedGetInput(ACHAR* result, std::size_t bufLen) {
    if (result == nullptr || g_lastKeyword.size() >= bufLen)
        return RTERROR;
    std::memcpy(result, g_lastKeyword.c_str(), g_lastKeyword.size() + 1);
    return RTNORM;
}

int acedGetString(int allowBlanks, const ACHAR* prompt, ACHAR* result, std::size_t bufLen) {
    TakeInputControl();  // keywords do not apply to text prompts
    if (result == nullptr || bufLen == 0)
        return RTERROR;
    const auto answer =
        Host::Instance().Ask({Request::Kind::String, prompt != nullptr ? prompt : "", ""});
    if (!answer || IsCancel(*answer))
        return RTCAN;
    std::string text = *answer;
    if (allowBlanks == 0) {
        const std::size_t blank = text.find(' ');
        if (blank != std::string::npos)
            text.resize(blank);
    }
    if (text.size() >= bufLen)
        return RTERROR;
    std::memcpy(result, text.c_str(), text.size() + 1);
    return RTNORM;
}

int acedGetPoint(const ads_point, const ACHAR* prompt, ads_point result) {
    const InputControl control = TakeInputControl();
    for (;;) {
        const auto answer =
            Host::Instance().Ask({Request::Kind::Point, prompt != nullptr ? prompt : "", ""});
        if (!answer || IsCancel(*answer))
            return RTCAN;
        if (common::Trim(*answer).empty()) {
            if ((control.flags & RSG_NONULL) == 0)
                return RTNONE;
            Host::Instance().Console() << "\nAn answer is required.";
            continue;
        }
        if (const auto keyword = MatchKeyword(control, *answer)) {
            g_lastKeyword = *keyword;
            return RTKWORD;
        }
        if (ParsePoint(*answer, result))
            return RTNORM;
        Host::Instance().Console() << "\nInvalid point.";
    }
}

int acedGetFileD(const ACHAR* title, const ACHAR* defaultName, const ACHAR* extension, int,
                 resbuf* result) {
    if (result == nullptr)
        return RTERROR;
    std::string prompt = "\n";
    prompt += title != nullptr ? title : "";
    prompt += " [";
    prompt += defaultName != nullptr ? defaultName : "";
    prompt += "] (*.";
    prompt += extension != nullptr ? extension : "*";
    prompt += "): ";
    const auto answer = Host::Instance().Ask({Request::Kind::File, prompt, ""});
    if (!answer || IsCancel(*answer))
        return RTCAN;
    std::string path(common::Trim(*answer));
    if (path.empty() && defaultName != nullptr)
        path = defaultName;
    result->restype = RTSTR;
    result->resval.rstring = acutNewString(path.c_str());
    return RTNORM;
}

int acedFindFile(const ACHAR* name, ACHAR* result, std::size_t bufLen) {
    if (name == nullptr || result == nullptr)
        return RTERROR;
    std::vector<std::filesystem::path> candidates{name};
    Host& host = Host::Instance();
    if (const auto prefix = host.VarText("DWGPREFIX"); prefix && !prefix->empty())
        candidates.push_back(std::filesystem::path(*prefix) / name);
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::exists(candidate, error)) {
            const std::string full = std::filesystem::absolute(candidate, error).string();
            if (full.size() >= bufLen)
                return RTERROR;
            std::memcpy(result, full.c_str(), full.size() + 1);
            return RTNORM;
        }
    }
    return RTERROR;
}

// --- system variables ----------------------------------------------------------------------------

int acedGetVar(const ACHAR* name, resbuf* result) {
    return name != nullptr ? Host::Instance().GetVar(name, result) : RTERROR;
}

int acedSetVar(const ACHAR* name, const resbuf* value) {
    return name != nullptr ? Host::Instance().SetVar(name, value) : RTERROR;
}

// --- progress meter, numbers
// ------------------------------------------------------------------------

namespace {
struct Meter {
    std::string label;
    int min = 0;
    int max = 0;
    int shown = -1;  // the last tenth printed
};
Meter g_meter;
}  // namespace

int acedSetStatusBarProgressMeter(const ACHAR* label, int min, int max) {
    g_meter = Meter{label != nullptr ? label : "", min, max, -1};
    Host::Instance().ProgressText() = g_meter.label + " 0%";
    if (std::ostream* trace = Host::Instance().Trace())
        *trace << "cadhost: progress meter \"" << g_meter.label << "\"" << std::endl;
    return 0;
}

int acedSetStatusBarProgressMeterPos(int position) {
    const int span = g_meter.max - g_meter.min;
    const int percent = span > 0 ? std::clamp((position - g_meter.min) * 100 / span, 0, 100) : 100;
    Host::Instance().ProgressText() = g_meter.label + " " + std::to_string(percent) + "%";
    return 0;
}

void acedRestoreStatusBar() {
    std::string& text = Host::Instance().ProgressText();
    if (std::ostream* trace = Host::Instance().Trace(); trace != nullptr && !text.empty())
        *trace << "cadhost: progress meter ended at " << text.substr(text.rfind(' ') + 1)
               << std::endl;
    text.clear();
}

int acdbRToS(ads_real value, int unit, int precision, ACHAR* result, std::size_t bufLen) {
    if (result == nullptr || bufLen == 0)
        return RTERROR;
    char text[128];
    std::snprintf(text, sizeof text, unit == 1 ? "%.*E" : "%.*f", std::clamp(precision, 0, 16),
                  value);
    if (std::strlen(text) >= bufLen)
        return RTERROR;
    std::strcpy(result, text);
    return RTNORM;
}

// --- editor reactors, registry, documents --------------------------------------------------------

AcRxClass* AcEditorReactor::desc() {
    static AcRxClass cls("AcEditorReactor", AcRxObject::desc());
    return &cls;
}
void AcEditorReactor::commandWillStart(const ACHAR*) {}
void AcEditorReactor::commandEnded(const ACHAR*) {}
void AcEditorReactor::commandCancelled(const ACHAR*) {}
void AcEditorReactor::commandFailed(const ACHAR*) {}

AcRxClass* AcEditor::desc() {
    static AcRxClass cls("AcEditor", AcRxObject::desc());
    return &cls;
}
void AcEditor::addReactor(AcEditorReactor* reactor) {
    Host::Instance().AddEditorReactor(reactor);
}
void AcEditor::removeReactor(AcEditorReactor* reactor) {
    Host::Instance().RemoveEditorReactor(reactor);
}

AcRxObject* AcRxDictionary::at(const ACHAR* name) const {
    static AcEditor editor;
    return name != nullptr && std::strcmp(name, "AcEditor") == 0 ? &editor : nullptr;
}

AcRxDictionary* acrxSysRegistry() {
    static AcRxDictionary registry;
    return &registry;
}

void AcApDocManagerReactor::documentCreated(AcApDocument*) {}
void AcApDocManagerReactor::documentToBeDestroyed(AcApDocument*) {}
void AcApDocManagerReactor::documentBecameCurrent(AcApDocument*) {}

void acDocManagerAddReactor(AcApDocManagerReactor* reactor) {
    Host::Instance().AddDocReactor(reactor);
}
void acDocManagerRemoveReactor(AcApDocManagerReactor* reactor) {
    Host::Instance().RemoveDocReactor(reactor);
}
int acDocManagerDocumentCount() {
    return static_cast<int>(Host::Instance().Documents().size());
}
AcApDocument* acDocManagerDocumentAt(int index) {
    const auto documents = Host::Instance().Documents();
    return index >= 0 && static_cast<std::size_t>(index) < documents.size()
               ? documents[static_cast<std::size_t>(index)]
               : nullptr;
}
Acad::ErrorStatus acDocManagerOpenDocument(const ACHAR* fileName) {
    return fileName != nullptr ? Host::Instance().OpenDocument(fileName) : Acad::eInvalidInput;
}
Acad::ErrorStatus acDocManagerActivateDocument(AcApDocument* document) {
    return Host::Instance().Activate(document);
}
bool acDocManagerIsApplicationContext() {
    return Host::Instance().InApplicationContext();
}
void acDocManagerExecuteInApplicationContext(void (*function)(void*), void* data) {
    if (function != nullptr)
        function(data);
}
