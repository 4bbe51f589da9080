// Host object-model interface: the declarations the plug-in compiles against.
//
// The host framework owns the CIM object model, the plug-in manager and the
// logger; the plug-in only calls them. Virtual operations keep the host's slot
// order: unlisted slots are reserved so that the listed ones keep their
// indices. Every operation of the ICIM interfaces takes a ContextMap by value
// as its last argument.
#ifndef STRATA_PLUGIN_TELVA_H
#define STRATA_PLUGIN_TELVA_H

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include <exception>
#include <map>
#include <string>
#include <vector>

#if defined(_WIN32)
#if defined(TELVA_BUILDING_CORE)
#define TELVA_API __declspec(dllexport)
#else
#define TELVA_API __declspec(dllimport)
#endif
#else
#define TELVA_API __attribute__((visibility("default")))
#endif

namespace NTELVA20 {

class ICIMNamespace;
class ICIMClass;
class ICIMInstance;
class ICIMProperty;
class TCIMValue;

typedef std::map<std::string, TCIMValue> ContextMap;

// A host failure. The message comes from the virtual what().
class TELVA_API TTelvaException : public std::exception {
public:
    explicit TTelvaException(const std::string& message);
    ~TTelvaException() noexcept override;
    const char* what() const noexcept override;

private:
    std::string message_;
};

// Object path of a committed instance: namespace, class and key bindings.
// Copies share one immutable path, so handing references around is cheap.
class TELVA_API TCIMReference {
public:
    TCIMReference();
    TCIMReference(const std::string& nameSpace, const std::string& className,
                  std::map<std::string, std::string> keys);
    TCIMReference(const TCIMReference& other);
    TCIMReference& operator=(const TCIMReference& other);
    ~TCIMReference();

    bool operator<(const TCIMReference& other) const;
    bool operator==(const TCIMReference& other) const;

    const std::string& GetNamespace() const;
    const std::string& GetClassName() const;
    const std::map<std::string, std::string>& GetKeys() const;
    // Object path text: namespace:Class.Key1="v1",Key2="v2"
    std::string ToString() const;

private:
    struct Path;
    const Path& Parts() const;

    boost::shared_ptr<const Path> path_;  // empty for the default path
};

class TELVA_API TCIMValue {
public:
    class TELVA_API TCIMType {
    public:
        enum Kind {
            kUnknown = 0,
            kBoolean,
            kUint8,
            kSint8,
            kUint16,
            kSint16,
            kUint32,
            kSint32,
            kUint64,
            kSint64,
            kReal32,
            kReal64,
            kString,
            kDateTime,
            kReference
        };
        TCIMType();
        explicit TCIMType(const std::string& text);  // "uint64", "string", ...
        explicit TCIMType(Kind kind);
        TCIMType(const TCIMType& other);
        TCIMType& operator=(const TCIMType& other);
        ~TCIMType();

        std::string ToString() const;
        Kind GetKind() const { return kind_; }
        bool operator==(const TCIMType& other) const { return kind_ == other.kind_; }
        bool operator!=(const TCIMType& other) const { return kind_ != other.kind_; }

    private:
        Kind kind_;
    };

    TCIMValue();  // null
    TCIMValue(const TCIMValue& other);
    TCIMValue& operator=(const TCIMValue& other);
    ~TCIMValue();

    TCIMValue(const std::string& text);            // a string value
    TCIMValue(const TCIMReference& reference);     // a reference value
    // Converts the text to the type; a text that is not a valid value of the
    // type throws TTelvaException.
    TCIMValue(const TCIMType& type, const std::string& text,
              boost::shared_ptr<ICIMNamespace> nameSpace);

    // Makes this value an array of the given element values. The flags
    // argument is the host's array marker (256).
    void Set(const TCIMType& type, int flags, const std::vector<TCIMValue>& elements);

    bool IsNull() const;
    operator std::string() const;
    operator unsigned short() const;
    std::string ToString(int base = 10) const;

    // Host side accessors.
    const TCIMType& GetType() const { return type_; }
    bool IsArray() const { return array_; }
    const std::vector<TCIMValue>& GetElements() const { return elements_; }
    bool IsReference() const { return type_.GetKind() == TCIMType::kReference && !null_; }
    const TCIMReference& GetReference() const { return reference_; }

private:
    TCIMType type_;
    bool null_;
    bool array_;
    std::string text_;  // canonical text of a scalar value
    std::vector<TCIMValue> elements_;
    TCIMReference reference_;
};

class TELVA_API ICIMProperty {
public:
    virtual ~ICIMProperty();                                              // [0]
    virtual TCIMValue::TCIMType GetType(ContextMap context) = 0;          // [1]
    virtual bool IsArray(ContextMap context) = 0;                         // [2]
    virtual void Reserved3(ContextMap) {}                                 // [3]
    virtual const TCIMValue& GetValue(ContextMap context) = 0;            // [4]
};

class TELVA_API ICIMInstance {
public:
    virtual ~ICIMInstance();                                              // [0]
    virtual void Reserved1(ContextMap) {}                                 // [1]
    virtual void Commit(ContextMap context) = 0;                          // [2]
    virtual void Reserved3(ContextMap) {}                                 // [3]
    virtual void Reserved4(ContextMap) {}                                 // [4]
    virtual void Reserved5(ContextMap) {}                                 // [5]
    virtual TCIMReference GetReference(ContextMap context) = 0;           // [6]
    virtual void Reserved7(ContextMap) {}                                 // [7]
    virtual void Reserved8(ContextMap) {}                                 // [8]
    virtual void Reserved9(ContextMap) {}                                 // [9]
    virtual boost::shared_ptr<ICIMProperty> GetProperty(const std::string& name,
                                                        ContextMap context) = 0;  // [10]
    virtual void SetProperty(const std::string& name, const TCIMValue& value,
                             ContextMap context) = 0;                     // [11]
};

typedef boost::function<void(boost::shared_ptr<ICIMInstance>)> TInstanceCallback;

class TELVA_API ICIMClass {
public:
    virtual ~ICIMClass();                                                 // [0]
    virtual void Reserved1(ContextMap) {}                                 // [1]
    virtual void Reserved2(ContextMap) {}                                 // [2]
    virtual void Reserved3(ContextMap) {}                                 // [3]
    virtual void Reserved4(ContextMap) {}                                 // [4]
    virtual const std::string& GetClassName(ContextMap context) = 0;      // [5]
    virtual boost::shared_ptr<ICIMNamespace> GetNamespace(ContextMap context) = 0;  // [6]
    virtual bool IsAssociation(ContextMap context) = 0;                   // [7]
    virtual void Reserved8(ContextMap) {}                                 // [8]
    virtual void Reserved9(ContextMap) {}                                 // [9]
    virtual void Reserved10(ContextMap) {}                                // [10]
    virtual void Reserved11(ContextMap) {}                                // [11]
    virtual void Reserved12(ContextMap) {}                                // [12]
    virtual void Reserved13(ContextMap) {}                                // [13]
    virtual void Reserved14(ContextMap) {}                                // [14]
    virtual void Reserved15(ContextMap) {}                                // [15]
    virtual void Reserved16(ContextMap) {}                                // [16]
    virtual void Reserved17(ContextMap) {}                                // [17]
    virtual void Reserved18(ContextMap) {}                                // [18]
    virtual void Reserved19(ContextMap) {}                                // [19]
    virtual void Reserved20(ContextMap) {}                                // [20]
    virtual void Reserved21(ContextMap) {}                                // [21]
    virtual boost::shared_ptr<ICIMInstance> CreateInstance(ContextMap context) = 0;  // [22]
    // Calls the callback once per instance of the class; deep (1) includes
    // the instances of its subclasses.
    virtual void EnumerateInstances(TInstanceCallback callback, int deep,
                                    ContextMap context) = 0;              // [23]
};

class TELVA_API ICIMNamespace {
public:
    virtual ~ICIMNamespace();                                             // [0]
    virtual void Reserved1(ContextMap) {}                                 // [1]
    virtual void Reserved2(ContextMap) {}                                 // [2]
    virtual void Reserved3(ContextMap) {}                                 // [3]
    virtual void Reserved4(ContextMap) {}                                 // [4]
    virtual boost::shared_ptr<ICIMClass> GetClass(const std::string& className,
                                                  ContextMap context) = 0;  // [5]
};

class TELVA_API ILogger {
public:
    virtual ~ILogger();                                                   // [0]
    virtual void Write(unsigned level, const std::string& text) = 0;      // [1]
};

// Collects instances handed to an EnumerateInstances callback into a vector.
template <class T>
class TAddToVectorCallback {
public:
    explicit TAddToVectorCallback(std::vector<boost::shared_ptr<T> >& target) : target_(&target) {}
    void operator()(boost::shared_ptr<T> item) const { target_->push_back(item); }

private:
    std::vector<boost::shared_ptr<T> >* target_;
};

class TELVA_API IPluginCallbacks {
public:
    virtual ~IPluginCallbacks();                                          // [0]
    virtual long GetStatus() = 0;                                         // [1]
    virtual std::string GetName() = 0;                                    // [2]
    virtual std::string GetVersion() = 0;                                 // [3]
    virtual std::string GetSecondaryVersion() = 0;                        // [4]
    virtual void Release() = 0;                                           // [5]
    virtual void Notify1(void* argument) = 0;                             // [6]
    virtual void Notify2(void* argument) = 0;                             // [7]
};

class TELVA_API IPluginBasicQueryCallbacks {
public:
    virtual ~IPluginBasicQueryCallbacks();                                // [0]
    virtual void Query(boost::shared_ptr<ICIMNamespace> nameSpace,
                       const std::vector<boost::shared_ptr<ICIMClass> >& classes) = 0;  // [1]
};

class TELVA_API TPluginManagerProvider {
public:
    explicit TPluginManagerProvider(IPluginCallbacks* callbacks);
    ~TPluginManagerProvider();
    IPluginCallbacks* GetCallbacks() const { return callbacks_; }

private:
    IPluginCallbacks* callbacks_;
};

// The namespace through which plug-ins register themselves.
class TELVA_API TPluginManagerNamespace : public ICIMNamespace {
public:
    TPluginManagerNamespace();
    ~TPluginManagerNamespace() override;
    boost::shared_ptr<ICIMClass> GetClass(const std::string& className,
                                          ContextMap context) override;
    TPluginManagerProvider* RegisterPlugin(IPluginCallbacks* callbacks);
};

class TELVA_API TRootObject {
public:
    static boost::shared_ptr<ICIMNamespace> GetPluginManager();
    static ILogger* GetCoreLogger();
};

class TELVA_API TCIMSchemaHelper {
public:
    static std::string GetSystemCreationClassName(boost::shared_ptr<ICIMNamespace> nameSpace);
    static std::string GetSystemName(boost::shared_ptr<ICIMNamespace> nameSpace);
    static const std::string kContextName;
    static const std::string kPluginNSPName;
};

}  // namespace NTELVA20

#endif
