#pragma once

#include "stepcontrols.h"

// Every control of the main window, created and placed by setupUi, one struct per step.
// The step classes wire the behaviour; this only builds.
struct WizardUi {
    void setupUi(QWidget *form);

    StripControls strip;
    StartControls start;
    ColorsControls colors;
    ImagesControls images;
    LinksControls links;
    TextControls text;
    BulletControls bullets;
    SaveControls save;
    UploadControls upload;
};
