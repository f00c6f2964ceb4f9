// The KelvoDSP host application library (AppMgr) as a plug-in sees it: the command framework,
// the argument and parameter objects, and the script interpreter's data and evaluation objects.
// The module only declares and calls these classes; the host library defines them (our own
// stand-in lives in appmgr/, over libtcl). No Tcl header is needed to use this interface.
#pragma once

#include <memory>
#include <string>
#include <vector>

#define APPMGR_API __attribute__((visibility("default")))

struct Tcl_Obj;

// Host status values (the host's TAppStatus).
enum TAppStatus : int { kAppSuccess = 1, kAppCommandFailed = 2, kAppInitFailed = 3 };

// A reference-counted script value. Copies share the value (copy-on-write as in Tcl); list
// operations are the interpreter's list operations.
class APPMGR_API CTclDataObj {
public:
    CTclDataObj();                                  // the empty string
    explicit CTclDataObj(int value);                // an integer value
    explicit CTclDataObj(const std::string& text);  // a string value
    explicit CTclDataObj(Tcl_Obj* value);           // shares a host value (host side)
    CTclDataObj(const CTclDataObj& other);
    CTclDataObj& operator=(const CTclDataObj& other);
    virtual ~CTclDataObj();

    std::string GetStringValue() const;
    int GetIntValue() const;       // 0 when the value is not an integer
    bool GetBoolValue() const;     // false when the value is not a boolean
    float GetFloatValue() const;   // 0 when the value is not a number
    double GetDoubleValue() const; // 0 when the value is not a number
    void SetStringValue(const std::string& text);

    void MakeList();  // becomes the empty list
    void AppendAsListElement(const std::string& element);
    void AppendAsListElement(int element);
    void AppendAsListElement(const CTclDataObj& element);
    int GetNumElements() const;  // 0 when the value is not a well-formed list
    CTclDataObj GetElement(int index) const;  // empty when out of range

    Tcl_Obj* GetObj() const { return m_obj; }  // host side
    void SetObj(Tcl_Obj* value);               // host side: share another value

protected:
    Tcl_Obj* m_obj;
};

// The result of a command or of an evaluation. Assigning text sets the result; after a failed
// evaluation GetResultMessage gives the interpreter's error text.
class APPMGR_API CTclResultObj : public CTclDataObj {
public:
    CTclResultObj();
    CTclResultObj& operator=(const std::string& text);
    CTclResultObj& operator=(const CTclDataObj& value);
    std::string GetResultMessage() const;
    void SetResultMessage(const std::string& message);  // host side
    // The machine-readable code of a failed command (Tcl's errorCode), one word per element,
    // e.g. {"KELVOWARE", "PARAMETER"}; empty leaves the host's own code.
    void SetErrorCode(const std::vector<std::string>& words);
    const std::vector<std::string>& GetErrorCode() const;  // host side

private:
    std::string m_message;
    std::vector<std::string> m_errorCode;
};

// A script command built word by word. The constructor's text is split into words as a Tcl
// list ("file join" is two words); every appended word stays exactly one word and is never
// substituted. Assigning a text replaces the command by that text, evaluated as a script.
class APPMGR_API CTclEvalObj {
public:
    explicit CTclEvalObj(const std::string& command, CTclResultObj* result = nullptr);
    CTclEvalObj(const CTclEvalObj&) = delete;
    CTclEvalObj& operator=(const CTclEvalObj&) = delete;
    ~CTclEvalObj();

    CTclEvalObj& operator+=(const std::string& word);
    CTclEvalObj& operator+=(const char* word);
    CTclEvalObj& operator+=(const CTclDataObj& word);
    CTclEvalObj& operator+=(CTclEvalObj& evaluated);  // evaluates it; its answer becomes the word
    CTclEvalObj& operator=(const std::string& script);

    // Runs the command in the host interpreter at global level; true on success. The result
    // (or, on failure, the error message) is in GetResult(). The flag is the host's.
    bool Evaluate(bool flag = false);
    CTclResultObj* GetResult();

private:
    Tcl_Obj* m_command;       // the word list, or the script text
    bool m_isScript;
    CTclResultObj* m_result;  // the caller's result object, or m_ownResult
    std::unique_ptr<CTclResultObj> m_ownResult;
};

// One switch of a command. The command owns the parameters given to AddParameter.
class APPMGR_API CCmdParameter {
public:
    enum class Kind { Boolean, String, Integer, Float, FileOut, StringSelection };

    CCmdParameter(Kind kind, const std::string& switchName, const std::string& valueName,
                  const std::string& description, const std::string& defaultText, bool hasDefault);
    virtual ~CCmdParameter();

    const std::string& GetSwitchName() const { return m_switchName; }  // with its leading "-"
    const std::string& GetValueName() const { return m_valueName; }
    const std::string& GetDescription() const { return m_description; }
    bool HasDefault() const { return m_hasDefault; }
    void SetIsHidden(bool hidden) { m_hidden = hidden; }
    Kind GetKind() const { return m_kind; }
    void AddSelection(const std::string& choice) { m_selections.push_back(choice); }

    virtual bool IsHidden() const;
    virtual int GetNumSelections() const;
    virtual std::string GetSelection(int index) const;  // "" when out of range
    virtual std::string GetDefaultValue() const;
    // "boolean", "string", "integer", "float", "file-out" or "string selection".
    virtual std::string GetTypeName() const;

private:
    Kind m_kind;
    std::string m_switchName;
    std::string m_valueName;
    std::string m_description;
    std::string m_defaultText;
    bool m_hasDefault;
    bool m_hidden = false;
    std::vector<std::string> m_selections;
};

// The parsed arguments of one command call. A switch that was not given but has a default is
// delivered with its default; a boolean switch is delivered only when given (presence counts).
class APPMGR_API CCmdArguments {
public:
    CCmdArguments();
    ~CCmdArguments();
    CCmdArguments(const CCmdArguments&) = delete;
    CCmdArguments& operator=(const CCmdArguments&) = delete;

    CTclDataObj* Find(const std::string& switchName) const;  // nullptr when absent
    void Set(const std::string& switchName, const CTclDataObj& value);  // host side
    const std::vector<std::string>& GetSwitchNames() const { return m_order; }

private:
    std::vector<std::string> m_order;
    std::vector<std::unique_ptr<CTclDataObj>> m_values;
};

class CKelvoAppCallBack;
using TCommandHandler = int (CKelvoAppCallBack::*)(CCmdArguments*, CTclResultObj*);

// One command of an application.
class APPMGR_API CAppCommand {
public:
    CAppCommand(const std::string& name, const std::string& description,
                CKelvoAppCallBack* callback, TCommandHandler handler);
    ~CAppCommand();
    CAppCommand(const CAppCommand&) = delete;
    CAppCommand& operator=(const CAppCommand&) = delete;

    // Parameter factories. They need no command, so a generator may create parameters before
    // its command exists; the command owns a parameter once it is given to AddParameter.
    static CCmdParameter* NewBooleanParameter(const std::string& switchName, const std::string& description,
                                              bool flag1, bool flag2, bool defaultValue);
    static CCmdParameter* NewStringParameter(const std::string& switchName, const std::string& valueName,
                                             const std::string& description, bool flag1, bool flag2,
                                             const std::string& defaultText);
    static CCmdParameter* NewIntegerParameter(const std::string& switchName, const std::string& valueName,
                                              const std::string& description, bool flag1, bool flag2,
                                              int defaultValue);
    static CCmdParameter* NewFileOutParameter(const std::string& switchName, const std::string& valueName,
                                              const std::string& description, bool flag1, bool flag2,
                                              bool flag3, const std::string& defaultText);

    void AddParameter(CCmdParameter* parameter);
    void SetNotGlobalCommand();
    void SetIgnoreUnknownArgs(bool ignore);
    // Reads the XML parameter description; false (and no description) when it cannot be read.
    bool SetXMLParameterDescription(const std::string& path);
    bool HasXMLParameterDescription() const;
    int GetNumParametersFromXMLFile() const;
    CCmdParameter* GetParameterFromXMLFile(int index) const;  // nullptr when out of range

    // Host side.
    const std::string& GetName() const { return m_name; }
    const std::string& GetDescription() const { return m_description; }
    bool IsGlobalCommand() const { return m_global; }
    bool IgnoresUnknownArgs() const { return m_ignoreUnknown; }
    // Every switch the command accepts: its own parameters, then the XML description's.
    std::vector<CCmdParameter*> GetAllParameters() const;
    CKelvoAppCallBack* GetCallBack() const { return m_callback; }
    TCommandHandler GetHandler() const { return m_handler; }

private:
    std::string m_name;
    std::string m_description;
    CKelvoAppCallBack* m_callback;
    TCommandHandler m_handler;
    bool m_global = true;
    bool m_ignoreUnknown = false;
    std::vector<std::unique_ptr<CCmdParameter>> m_parameters;
    std::vector<std::unique_ptr<CCmdParameter>> m_xmlParameters;
    bool m_hasXml = false;
};

// The base of a plug-in's callback object; command handlers are its members.
class APPMGR_API CKelvoAppCallBack {
public:
    CKelvoAppCallBack();
    virtual ~CKelvoAppCallBack();
};

// One application (one plug-in) and its commands.
class APPMGR_API CKelvoApp {
public:
    CKelvoApp(CKelvoAppCallBack* callback, const std::string& name, const std::string& description);
    ~CKelvoApp();
    CKelvoApp(const CKelvoApp&) = delete;
    CKelvoApp& operator=(const CKelvoApp&) = delete;

    CAppCommand* AddCommand(const std::string& name, const std::string& description, TCommandHandler handler);

    // Host side.
    const std::string& GetName() const { return m_name; }
    const std::string& GetDescription() const { return m_description; }
    const std::vector<std::unique_ptr<CAppCommand>>& GetCommands() const { return m_commands; }

private:
    CKelvoAppCallBack* m_callback;
    std::string m_name;
    std::string m_description;
    std::vector<std::unique_ptr<CAppCommand>> m_commands;
};

class APPMGR_API CAppMgr {
public:
    // Creates the application; the host owns it.
    static CKelvoApp* NewApp(CKelvoAppCallBack* callback, const std::string& name,
                             const std::string& description, bool flag1, const std::string& text, bool flag2);
    // Publishes the application's commands as Tcl commands; false when a command of the
    // application's name already exists.
    static bool RegisterCommands(CKelvoApp* app);
    // Shows a message line; type 2 is an error line (printed to standard error).
    static void SendMsg(int type, const std::string& text);
};

class APPMGR_API CGlobalSettings {
public:
    bool GetBool(const std::string& key) const;  // false for unknown keys
};

APPMGR_API CGlobalSettings* GetGlobalSettings();
