#include "messagetable.h"

#include <algorithm>
#include <iterator>

namespace {

struct English {
    int number;
    const char16_t *text;
};

constexpr English kEnglish[] = {
    {1090, u"Connected"},
    {1091, u"Disconnected"},
    {1092, u"Transferring files..."},
    {1093, u"Transfer complete"},
    {1094, u" Could not complete request."},
    {1095, u"None"},
    {1096, u"Custom..."},
    {1097, u"Aqua"},
    {1098, u"Black"},
    {1099, u"Blue"},
    {1100, u"Fuchsia"},
    {1101, u"Gray"},
    {1102, u"Green"},
    {1103, u"Lime"},
    {1104, u"Maroon"},
    {1105, u"Navy"},
    {1106, u"Olive"},
    {1107, u"Purple"},
    {1108, u"Red"},
    {1109, u"Silver"},
    {1110, u"Teal"},
    {1111, u"White"},
    {1112, u"Yellow"},
    {1118, u"Could not open the default browser."},
    {1119, u"Could not load template file."},
    {1120, u"Connecting..."},
    {1121, u"Error opening file."},
    {1122, u"Currently there are no links listed. Would you like to add some?"},
    {1123, u"Please select a layout style."},
    {1124, u"Would you like to make another web page?"},
    {1128, u"Would you like to test your web page?"},
    {1137, u"You cannot implement any Image Links when Drop Box Style is selected."},
    {1138, u"Delete Selected Link?"},
    {1142, u"Would you like to save your changes?"},
    {1409, u"Automatic"},
    {1410, u"Passive"},
    {1411, u"Active"},
    {1412,
        u"The test worked: the server took the login and the initial directory, and a data "
        u"connection in passive mode."},
    {1413,
        u"The test worked: the server took the login and the initial directory, and a data "
        u"connection in active mode."},
    {1414, u"The test failed: the host name \"%1\" was not found. Please check the Hostname."},
    {1415,
        u"The test failed: no connection to %1 on port %2 (%3). Please check the Hostname and "
        u"the Remote Port."},
    {1416, u"The test failed: the server turned the connection away (%1)."},
    {1417,
        u"The test failed: the server refused the login (%1). Please check the Username and "
        u"the Password."},
    {1418, u"The test failed: the initial directory \"%1\" is missing on the server (%2)."},
    {1419,
        u"The test failed: the data connection was blocked (%1). Please try another transfer "
        u"mode."},
    {1420, u"The test failed: the server could not list the initial directory (%1)."},
    {1422, u"Encrypt if possible"},
    {1423, u"Always encrypt"},
    {1424, u"Implicit TLS (port 990)"},
    {1425, u"Never encrypt"},
    {1426, u"Connected (not encrypted: the server does not offer TLS)"},
    {1427, u"Note: the connection was not encrypted, since the server does not offer TLS."},
    {1428, u"The test stopped: the server's certificate was not trusted (%1)."},
    {1429, u"Implicit TLS usually runs on port 990. Use port 990 instead of 21?"},
    {1440,
        u"The test failed: the server did not set up encryption (%1). Please choose \"Encrypt "
        u"if possible\" under Security, or ask your web host."},
    // Saving: the file really written is another than the save dialog asked about.
    {1500, u"%1 already exists.\nDo you want to replace it?"},
    // The link editor.
    {1560,
        u"A link address cannot contain \"|\", since the project file could not hold it. "
        u"Please remove it."},
    {1561,
        u"A link description cannot contain \"|\", since the project file could not hold it. "
        u"Please remove it."},
    {1562,
        u"The path of a link picture cannot contain \"|\", since the project file could not "
        u"hold it. Please choose a picture in another folder, or rename it."},
    {1563, u"Type a description first: it is the text the page shows for the link."},
    {1564, u"The favorite \"%1\" holds no web address. The address stays as it was."},
    {1565,
        u"The favorite \"%1\" is larger than 1 MB, so it is no favorite. The address stays as "
        u"it was."},
    {1566, u"Reading links..."},
    // Messages that came with later features and had no number, so they stayed English.
    {1603, u"An upload is still running. Stop it and close?"},
    {1604, u"Transfer incomplete: %1 of %2 files sent"},
    {1605, u"'%1' is not a valid integer value"},
    // Tool tips of the picture buttons.
    {1520, u"Choose a background image"},
    {1521, u"Clear the background image"},
    {1522, u"Choose an image for the page"},
    {1523, u"Clear the image"},
    {1524, u"Clear the link's image"},
    // The upload.
    {1610, u"Reconnecting"},
    // The Test for a server that never greets, an oversized Remote.ini, whole files only.
    {1620, u"The test failed: the server %1 took the connection on port %2 but did not answer."},
    {1621,
        u"It may expect implicit TLS: please choose \"Implicit TLS (port 990)\" under Security."},
    {1622,
        u"Remote.ini is larger than 16 MB, far larger than a file of server profiles, so its "
        u"profiles cannot be used. It is left as it is: please move it away or make it smaller."},
    {1624,
        u"Each file is stored under a temporary name and renamed over the old one once its size "
        u"has been checked, so visitors never see a file half sent."},
    {1625, u"Replace files only after they have arrived whole"},
    // What an upload that did not store every file says of each file left out.
    {1630, u"File: %1"},
    {1631,
        u"Not sent, so that the page on the server does not point at a file that did not "
        u"arrive. The page there stays as it was."},
};

} // namespace

MessageTable::MessageTable()
{
    for (const English &entry : kEnglish)
        m_texts.insert(entry.number, QString::fromUtf16(entry.text));
}

QString MessageTable::text(int number) const
{
    return m_texts.value(number);
}

void MessageTable::setText(int number, const QString &text)
{
    const auto it = m_texts.find(number);
    if (it != m_texts.end())
        *it = text;
}

QList<int> MessageTable::numbers() const
{
    QList<int> result = m_texts.keys();
    std::sort(result.begin(), result.end());
    return result;
}

QString MessageTable::englishText(int number)
{
    const auto it = std::find_if(std::begin(kEnglish), std::end(kEnglish),
        [number](const English &entry) { return entry.number == number; });
    return it == std::end(kEnglish) ? QString() : QString::fromUtf16(it->text);
}
