#include "tfrmserverprofile.h"

#include "profilestore.h"
#include "uibuilder.h"
#include "wizardhost.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <iterator>

namespace {

constexpr int kClientWidth = 398;
constexpr int kClientHeight = 238;
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
    auto *picture = ui::place(new QLabel(this), "imgProfile", QRect(8, 8, 96, 180));
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

    auto *rule = ui::place(new QFrame(this), "bvlProfile", QRect(8, 196, 382, 2));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    btnOK = ui::pushButton(this, "btnOK", QStringLiteral("OK"), 1406, QRect(234, 206, 75, 25));
    btnOK->setToolTip(QStringLiteral("Server Profile"));
    btnOK->setDefault(true);
    btnCancel = ui::pushButton(
        this, "btnCancel", QStringLiteral("Cancel"), 1209, QRect(315, 206, 75, 25));

    QWidget *order[] = {txtProfileName, txtHostName, txtInitialDir, txtUserName, txtPassword,
        txtPort, btnOK, btnCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(btnOK, &QPushButton::clicked, this, &TfrmServerProfile::btnOKClick);
    // Cancel writes nothing; Esc does the same.
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmServerProfile::FormCreate()
{
    m_host.applyLanguage(this);
    // The caption is OK's hint, so that it follows the translation.
    setWindowTitle(btnOK->toolTip());
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
}

void TfrmServerProfile::btnOKClick()
{
    QStringList listed;
    for (int i = 0; i < m_serverList->count(); ++i)
        listed << m_serverList->itemText(i);
    TConnectInfo fields;
    fields.hostName = txtHostName->text();
    fields.userName = txtUserName->text();
    fields.password = txtPassword->text();
    fields.initialDirectory = txtInitialDir->text();
    fields.port = txtPort->text();
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
    if (saved.failure != ProfileStore::SaveOutcome::Failure::None) {
        m_host.dialogs().message(this, MessageKind::Error, saved.error, ButtonSet::Ok);
        return;
    }
    accept();
}
