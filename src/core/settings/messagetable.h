#pragma once

#include "fileerrors.h"
#include "messagenumbers.h"

#include <QHash>
#include <QString>

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
