#include "tfrmserverprofile.h"

#include "certificatequestion.h"
#include "connectiontest.h"
#include "messagenumbers.h"
#include "profilestore.h"
#include "tftpclient.h"
#include "uibuilder.h"
#include "wizardhost.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <optional>

namespace {

constexpr int kClientWidth = 398;
constexpr int kClientHeight = 324;
constexpr int kFieldLeft = 208;
constexpr int kFieldWidth = 180;

} // namespace

TfrmServerProfile::TfrmServerProfile(WizardHost &host, QComboBox *serverList, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
    , m_serverList(serverList)
{
    setObjectName(QStringLiteral("frmServerProfile"));
    setupUi();
    setFixedSize(kClientWidth, kClientHeight);
    FormCreate();
}

void TfrmServerProfile::setupUi()
{
    auto *picture = ui::place(new QLabel(this), "imgProfile", QRect(8, 8, 96, 240));
    picture->setFrameShape(QFrame::Panel);
    picture->setFrameShadow(QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(QIcon(ui::iconPath(QStringLiteral("upload-large"))).pixmap(QSize(64, 64)));

    const struct {
        QLabel **label;
        const char *labelName;
        const char *text;
        int tag;
        QLineEdit **field;
        const char *fieldName;
    } rows[] = {
        {&lbl0, "lbl0", "&Description:", 1400, &txtProfileName, "txtProfileName"},
        {&lbl1, "lbl1", "&Hostname:", 1401, &txtHostName, "txtHostName"},
        {&lbl2, "lbl2", "&Initial Remote Dir:", 1402, &txtInitialDir, "txtInitialDir"},
        {&lbl3, "lbl3", "&Username:", 1403, &txtUserName, "txtUserName"},
        {&lbl4, "lbl4", "&Password:", 1404, &txtPassword, "txtPassword"},
        {&lbl5, "lbl5", "Re&mote Port:", 1405, &txtPort, "txtPort"},
    };
    int top = 10;
    for (const auto &row : rows) {
        *row.label = ui::label(
            this, row.labelName, QString::fromLatin1(row.text), row.tag, QRect(112, top, 92, 30));
        (*row.label)->setWordWrap(true);
        (*row.label)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        *row.field = ui::lineEdit(this, row.fieldName, QRect(kFieldLeft, top, kFieldWidth, 21));
        (*row.label)->setBuddy(*row.field);
        top += 30;
    }
    // About four digits wide.
    txtPort->resize(40, 21);
    txtProfileName->setText(QStringLiteral("Untitled"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPort->setText(QStringLiteral("21"));

    // The items are numbered messages, filled in once the language is known.
    lbl6
        = ui::label(this, "lbl6", QStringLiteral("Transfer &mode:"), 1407, QRect(112, top, 92, 30));
    lbl6->setWordWrap(true);
    lbl6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cbTransferMode
        = ui::comboBox(this, "cbTransferMode", {}, false, QRect(kFieldLeft, top, 120, 21));
    lbl6->setBuddy(cbTransferMode);
    top += 30;
    lbl7 = ui::label(this, "lbl7", QStringLiteral("Securi&ty:"), 1421, QRect(112, top, 92, 30));
    lbl7->setWordWrap(true);
    lbl7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cbSecurity
        = ui::comboBox(this, "cbSecurity", {}, false, QRect(kFieldLeft, top, kFieldWidth, 21));
    lbl7->setBuddy(cbSecurity);
    // Below the picture, where its long caption fits.
    chkRenameAfterUpload
        = ui::place(new QCheckBox(this), "chkRenameAfterUpload", QRect(8, 254, 382, 21));
    chkRenameAfterUpload->setText(
        QStringLiteral("Replace files on the server only after they have arrived whole"));
    ui::setTag(chkRenameAfterUpload, 1623);
    chkRenameAfterUpload->setChecked(true);

    auto *rule = ui::place(new QFrame(this), "bvlProfile", QRect(8, 282, 382, 2));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    btnTest = ui::pushButton(this, "btnTest", QStringLiteral("&Test"), 1408, QRect(8, 292, 75, 25));
    btnTest->setToolTip(QStringLiteral("Try these values without saving them"));
    btnOK = ui::pushButton(this, "btnOK", QStringLiteral("OK"), 1406, QRect(234, 292, 75, 25));
    btnOK->setToolTip(QStringLiteral("Server Profile"));
    btnOK->setDefault(true);
    btnCancel = ui::pushButton(
        this, "btnCancel", QStringLiteral("Cancel"), 1209, QRect(315, 292, 75, 25));

    QWidget *order[] = {txtProfileName, txtHostName, txtInitialDir, txtUserName, txtPassword,
        txtPort, cbTransferMode, cbSecurity, chkRenameAfterUpload, btnTest, btnOK, btnCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cbSecurity, &QComboBox::activated, this, &TfrmServerProfile::cbSecurityActivated);
    connect(btnTest, &QPushButton::clicked, this, &TfrmServerProfile::btnTestClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmServerProfile::btnOKClick);
    // Cancel writes nothing; Esc does the same.
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmServerProfile::FormCreate()
{
    m_host.applyLanguage(this);
    // The caption is OK's hint, so that it follows the translation.
    setWindowTitle(btnOK->toolTip());
    for (const int item :
        {Msg::TransferModeAuto, Msg::TransferModePassive, Msg::TransferModeActive})
        cbTransferMode->addItem(m_host.messageText(item));
    // In the order of TFtpSecurity.
    for (const int item :
        {Msg::SecurityIfAvailable, Msg::SecurityRequired, Msg::SecurityImplicit, Msg::SecurityNone})
        cbSecurity->addItem(m_host.messageText(item));
    // The choices are sentences, longer than the field: the open list shows them whole.
    cbSecurity->view()->setMinimumWidth(cbSecurity->view()->sizeHintForColumn(0) + 24);
    chkRenameAfterUpload->setToolTip(m_host.messageText(Msg::HintRenameAfterUpload));
    chkRenameAfterUpload->setAccessibleName(m_host.messageText(Msg::NameRenameAfterUpload));
    txtProfileName->setFocus();
}

void TfrmServerProfile::setProfile(const QString &name, const TConnectInfo &info)
{
    txtProfileName->setText(name);
    txtHostName->setText(info.hostName);
    txtInitialDir->setText(info.initialDirectory);
    txtUserName->setText(info.userName);
    txtPassword->setText(info.password);
    txtPort->setText(info.port);
    cbTransferMode->setCurrentIndex(static_cast<int>(info.transferMode));
    cbSecurity->setCurrentIndex(static_cast<int>(info.security));
    chkRenameAfterUpload->setChecked(info.renameAfterUpload);
    m_trustedHost = info.hostName.trimmed();
    m_trustedCertificate = info.trustedCertificate;
}

TConnectInfo TfrmServerProfile::typedFields() const
{
    TConnectInfo fields;
    fields.hostName = txtHostName->text();
    fields.userName = txtUserName->text();
    fields.password = txtPassword->text();
    fields.initialDirectory = txtInitialDir->text();
    fields.port = txtPort->text();
    // The items are in the order of the modes.
    fields.transferMode
        = static_cast<TFtpTransferMode>(std::max(0, cbTransferMode->currentIndex()));
    fields.security = static_cast<TFtpSecurity>(std::max(0, cbSecurity->currentIndex()));
    fields.renameAfterUpload = chkRenameAfterUpload->isChecked();
    // A certificate trusted for one server says nothing about another.
    if (fields.hostName.trimmed().compare(m_trustedHost, Qt::CaseInsensitive) == 0)
        fields.trustedCertificate = m_trustedCertificate;
    return fields;
}

void TfrmServerProfile::btnOKClick()
{
    QStringList listed;
    for (int i = 0; i < m_serverList->count(); ++i)
        listed << m_serverList->itemText(i);
    const TConnectInfo fields = typedFields();
    const ProfileStore::SaveOutcome saved
        = ProfileStore::saveProfile(ProfileStore::remoteIniPath(m_host.applicationDirectory()),
            listed, txtProfileName->text(), fields);
    // What was written stands in the list even when the port stopped the save, so that OK
    // after mending the port completes the same profile.
    if (saved.index >= 0) {
        if (saved.appended)
            m_serverList->addItem(saved.name);
        m_serverList->setCurrentIndex(static_cast<int>(saved.index));
    }
    if (saved.failure == ProfileStore::SaveOutcome::Failure::TooLarge) {
        m_host.dialogs().message(
            this, MessageKind::Error, m_host.messageText(Msg::RemoteIniTooLarge), ButtonSet::Ok);
        return;
    }
    if (saved.failure != ProfileStore::SaveOutcome::Failure::None) {
        m_host.dialogs().message(this, MessageKind::Error, saved.error, ButtonSet::Ok);
        return;
    }
    accept();
}

void TfrmServerProfile::btnTestClick()
{
    TConnectInfo tried = typedFields();
    // The port is read as a save would read it.
    const std::optional<int> port = ProfileStore::integerValue(tried.port);
    if (!port) {
        m_host.dialogs().message(this, MessageKind::Error,
            m_host.messageText(Msg::NotAValidInteger).arg(tried.port), ButtonSet::Ok);
        return;
    }
    tried.port = QString::number(*port);
    // The dialog may go while the test runs the event loop; the client on the stack stays.
    const QPointer<TfrmServerProfile> alive(this);
    TFtpClient client;
    m_certificateRefused = false;
    client.OnCertificate = [this, host = tried.hostName.trimmed()](TCustomFtpClient *,
                               const TlsCertificateInfo &info, bool changed, bool &trust) {
        const QPointer<TfrmServerProfile> asking(this);
        trust = askToTrustCertificate(m_host, this, info, changed);
        if (asking.isNull())
            return;
        if (trust) {
            m_trustedHost = host;
            m_trustedCertificate = Fingerprints::format(info.sha256);
        } else {
            m_certificateRefused = true;
        }
    };
    m_testClient = &client;
    m_testCancelled = false;
    setTesting(true);
    const ConnectionTestResult result = testConnection(client, tried);
    if (alive.isNull())
        return;
    m_testClient = nullptr;
    setTesting(false);
    if (m_testCancelled)
        return;
    m_host.dialogs().message(this,
        result.failedAt == ConnectionTestResult::Step::None ? MessageKind::Information
                                                            : MessageKind::Warning,
        testSentence(result, tried), ButtonSet::Ok);
}

QString TfrmServerProfile::testSentence(
    const ConnectionTestResult &result, const TConnectInfo &tried) const
{
    using Step = ConnectionTestResult::Step;
    const auto text = [this](int number) { return m_host.messageText(number); };
    if (result.failedAt != Step::None && m_certificateRefused)
        return text(Msg::TestCertificateRefused).arg(result.detail);
    // One pass of arg(), so that a "%1" in a server's reply stays as it is.
    switch (result.failedAt) {
    case Step::None:
        // Trying TLS and going on without it is the one outcome the user did not choose.
        if (tried.security == TFtpSecurity::ExplicitIfAvailable && !result.secure)
            return text(result.passive ? Msg::TestWorkedPassive : Msg::TestWorkedActive)
                + QLatin1Char(' ') + text(Msg::TestNotEncrypted);
        return text(result.passive ? Msg::TestWorkedPassive : Msg::TestWorkedActive);
    case Step::HostLookup:
        return text(Msg::TestHostNotFound).arg(tried.hostName.trimmed());
    case Step::Connect:
        return text(Msg::TestNoConnection).arg(tried.hostName.trimmed(), tried.port, result.detail);
    case Step::Greeting:
        return text(Msg::TestTurnedAway).arg(result.detail);
    case Step::NoAnswer:
        // A silent port 990, or TLS bytes where a greeting belongs, is implicit TLS.
        if (result.implicitTlsLikely && tried.security != TFtpSecurity::Implicit)
            return text(Msg::TestNoAnswer).arg(tried.hostName.trimmed(), tried.port)
                + QLatin1Char(' ') + text(Msg::TestTryImplicitTls);
        return text(Msg::TestNoAnswer).arg(tried.hostName.trimmed(), tried.port);
    case Step::Security:
        return text(Msg::TestNoEncryption).arg(result.detail);
    case Step::Login:
        return text(Msg::TestLoginRefused).arg(result.detail);
    case Step::Directory:
        return text(Msg::TestDirectoryMissing).arg(tried.initialDirectory, result.detail);
    case Step::DataConnection:
        return text(Msg::TestDataConnectionBlocked).arg(result.detail);
    case Step::Listing:
        break;
    }
    return text(Msg::TestListingFailed).arg(result.detail);
}

void TfrmServerProfile::setTesting(bool testing)
{
    // Only Cancel stays: it stops the test.
    for (QWidget *control :
        std::initializer_list<QWidget *> {txtProfileName, txtHostName, txtInitialDir, txtUserName,
            txtPassword, txtPort, cbTransferMode, cbSecurity, chkRenameAfterUpload, btnTest, btnOK})
        control->setEnabled(!testing);
    if (testing)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TfrmServerProfile::cbSecurityActivated(int index)
{
    // Implicit TLS servers listen on their own port; 21 would wait for a handshake that the
    // server never starts.
    if (static_cast<TFtpSecurity>(index) != TFtpSecurity::Implicit
        || ProfileStore::integerValue(txtPort->text()) != 21)
        return;
    if (m_host.dialogs().message(this, MessageKind::Confirmation,
            m_host.messageText(Msg::UseImplicitPort), ButtonSet::YesNo)
        == MessageAnswer::Yes)
        txtPort->setText(QStringLiteral("990"));
}

void TfrmServerProfile::reject()
{
    if (m_testClient != nullptr) {
        m_testCancelled = true;
        m_testClient->Abort();
    }
    QDialog::reject();
}
