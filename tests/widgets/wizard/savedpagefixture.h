#pragma once

#include "wizardfixture.h"

#include <QByteArray>
#include <QStringList>

// A window with one template that shows the meta tags and both pictures, whose page and
// project a test saves as the user does and reads back.
class SavedPageTest : public WizardTest {
protected:
    struct Saved {
        QByteArray page;
        QStringList projectLines;
        QStringList copied; // names of the files copied beside the page
    };

    void SetUp() override;

    // Saves the page as HTML, then the project, each into a new folder, answering No to
    // testing the page and to making another.
    Saved saveBoth();
    // The value of a key of the saved project, empty when the key is missing.
    static QString projectValue(const Saved &saved, const QString &key);

private:
    int m_saves = 0;
};
