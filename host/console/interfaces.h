#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QUuid>
#include <memory>

class QAction;
class QImage;
class QWidget;

namespace fin {

class TDataSet;

// Every interface that crosses a module boundary derives from this one. Objects are held by
// shared pointers: whoever asked for one releases it by dropping the pointer. Back
// references (a module to its console) are weak, so no cycle keeps anything alive.
class IInterface {
public:
    virtual ~IInterface();
};
using IInterfacePtr = std::shared_ptr<IInterface>;

template <typename T>
std::shared_ptr<T> As(const IInterfacePtr& object) {
    return std::dynamic_pointer_cast<T>(object);
}

// Identities by which modules and their interfaces are found.
namespace iid {
inline const QUuid Documents{QStringLiteral("{F0D1EC42-35DC-4A4C-A783-CBC6F7FFD556}")};
inline const QUuid Bank{QStringLiteral("{718CCFEE-9445-41EB-9C59-EC8404F7E220}")};
inline const QUuid Production{QStringLiteral("{80E938BB-F858-4EDD-BF7C-D40618E8B05E}")};
inline const QUuid FixedAssets{QStringLiteral("{674F16FE-9A96-4EAF-9524-AC5EAC0372BA}")};
inline const QUuid Security{QStringLiteral("{3495C3AC-F17F-440C-8571-96AAA091CAF2}")};
inline const QUuid Financial{QStringLiteral("{EBF9932A-5A60-47A8-B7AE-BE16FF62A7CB}")};
inline const QUuid OptionsTab{QStringLiteral("{29280858-1CC9-415D-B0E5-4668E3CCEC11}")};
inline const QUuid Navigable{QStringLiteral("{AAFF7BDF-545F-48E3-9486-9655678906C3}")};
inline const QUuid Viewer{QStringLiteral("{308DC058-773F-4EB7-A04E-6772C8A35D60}")};
}  // namespace iid

// The host application as a module sees it.
class IConsole : public IInterface {
public:
    // The interface a loaded module offers under the identity; null when no module has it.
    virtual IInterfacePtr QueryModule(const QUuid& identity) = 0;
    // Puts a module's control into the console's main panel; null takes it away again.
    virtual void ShowControl(QWidget* control) = 0;
};
using IConsolePtr = std::shared_ptr<IConsole>;
using IConsoleRef = std::weak_ptr<IConsole>;

class ISnapin : public IInterface {
public:
    virtual QString GetName() const = 0;
    virtual QString GetDescription() const = 0;
    virtual QImage GetImage() const = 0;
    virtual int GetSnapinType() const = 0;
    virtual TDataSet* GetDataSet() const = 0;
    // The snap-in's own interfaces (its viewer, navigator, options page, services).
    virtual IInterfacePtr GetInterface(const QUuid& identity) = 0;
};
using ISnapinPtr = std::shared_ptr<ISnapin>;

// The main panel of a snap-in.
class IViewer : public IInterface {
public:
    virtual void Load(const ISnapinPtr& snapin) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual QList<QAction*> GetActionList() = 0;
};

// The search panel of a snap-in.
class INavigable : public IInterface {
public:
    // The panel's control; the console places it beside the viewer.
    virtual QWidget* ShowNavigator() = 0;
    virtual void HideNavigator() = 0;
};

// A snap-in's page in the console's options dialog.
class IOptionsTab : public IInterface {
public:
    virtual QWidget* CreateFrame() = 0;
    virtual void DestroyFrame() = 0;
    virtual bool CheckValues() = 0;  // false keeps the dialog open
    virtual void Update() = 0;       // stores the page's values
    virtual QString GetTabCaption() = 0;
};

class ISnapinFactory : public IInterface {
public:
    // The package's one snap-in; the same object on every call.
    virtual ISnapinPtr CreateSnapin(const IConsolePtr& console) = 0;
};

// What a plug-in library exports, with C linkage, under this name. The factory belongs to
// the package and lives until it is unloaded.
using TGetSnapinFactory = ISnapinFactory* (*)();
inline constexpr const char* kGetSnapinFactoryName = "GetSnapinFactory";

// The ledger's services for other modules.
class IFinancial : public IInterface {
public:
    virtual void OpenPrecept(int preceptId) = 0;
    virtual void OpenPrecept(const QString& foreignTable, int foreignId) = 0;
    virtual double ExtSaldoDFunc(const QString& accountCode, int subaccountId,
                                 const QDate& date) = 0;
    virtual double ExtSaldoPFunc(const QString& accountCode, int subaccountId,
                                 const QDate& date) = 0;
};

// The bank module's payment query: what was paid out and what came in for a document,
// over its statements and cash journals. The trailing arguments are the module's own
// selectors; callers pass zeros.
class IBankPayments : public IInterface {
public:
    virtual void GetDocumentPayments(int documentId, int selector, double& paidOut, double& paidIn,
                                     int reserved1, int reserved2, int reserved3) = 0;
};

// The documents module as the ledger uses it: its document picker.
class IDocuments : public IInterface {
public:
    // Lets the user pick one document; false when nothing was picked. The two texts
    // identify the document to people (its type and its number).
    virtual bool SelectDocument(qint64& id, QString& text1, QString& text2) = 0;
};

// The bank module as the ledger uses it: payments of documents and its statement picker.
class IBank : public IBankPayments {
public:
    // Lets the user pick one statement or cash journal; false when nothing was picked. The
    // texts identify it to people. A module without a picker picks nothing.
    virtual bool SelectStatement(qint64& id, QString& text1, QString& text2) {
        Q_UNUSED(id);
        Q_UNUSED(text1);
        Q_UNUSED(text2);
        return false;
    }
};

// The production module as the ledger uses it: its errand picker.
class IProduction : public IInterface {
public:
    virtual bool SelectErrand(qint64& id, QString& text1, QString& text2) {
        Q_UNUSED(id);
        Q_UNUSED(text1);
        Q_UNUSED(text2);
        return false;
    }
};

// The fixed-asset module as the ledger uses it: its document picker (one identifying text).
class IFixedAssets : public IInterface {
public:
    virtual bool SelectDocument(qint64& id, QString& text) {
        Q_UNUSED(id);
        Q_UNUSED(text);
        return false;
    }
};

class TConnection;

// A user as the security module describes one.
struct TUserDescription {
    qint64 id = -1;
    QString firstName;
    QString lastName;
};

// The security module: the shared database connection and the suite's users.
class ISecurity : public IInterface {
public:
    virtual TConnection* GetConnection() = 0;
    virtual void Login() = 0;  // the argument-less call of a module's load step
    virtual bool GetCurrentUser(TUserDescription& user) = 0;
    virtual bool GetUser(qint64 userId, TUserDescription& user) = 0;
};

}  // namespace fin
