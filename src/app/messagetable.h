#pragma once

#include "fileerrors.h"

#include <QHash>
#include <QString>

// String numbers of the messages the program shows. A language library translates them
// by these numbers, together with every control text.
namespace Msg {
enum Number : int {
    Connected = 1090,
    Disconnected = 1091,
    TransferringFiles = 1092,
    TransferComplete = 1093,
    CouldNotCompleteRequest = 1094,
    ColorNone = 1095,
    Custom = 1096,
    ColorAqua = 1097, // 1097..1112: the sixteen named font colours, Aqua to Yellow
    ColorYellow = 1112,
    CouldNotOpenBrowser = 1118,
    CouldNotLoadTemplate = 1119,
    Connecting = 1120,
    ErrorOpeningFile = 1121,
    NoLinksListed = 1122,
    SelectLayoutStyle = 1123,
    MakeAnotherPage = 1124,
    TestWebPage = 1128,
    NoImageLinksInDropBox = 1137,
    DeleteSelectedLink = 1138,
    SaveChanges = 1142,
};
}

// The current text of every message, English until a language library replaces them.
// Texts are looked up each time a message is shown, so a replacement shows at once.
class MessageTable {
public:
    MessageTable();

    // The current text; empty for a number that is not a message.
    QString text(int number) const;
    bool contains(int number) const { return m_texts.contains(number); }
    // Replaces the text of a message; numbers that are not messages are ignored.
    void setText(int number, const QString &text);

    // Every message number, ascending.
    QList<int> numbers() const;

    static QString englishText(int number);

private:
    QHash<int, QString> m_texts;
};

// The question of the close and reset prompts: fixed English, never translated.
inline constexpr char16_t kSaveChangesQuestion[] = u"Would you like to save your changes?";
