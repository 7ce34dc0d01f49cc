#pragma once

#include "tlstypes.h"

class QWidget;
class WizardHost;

// Asks the user, through the dialogs service, whether to trust a server certificate that the
// system does not trust; changed: another one had been trusted for the server. True for
// Trust.
bool askToTrustCertificate(
    WizardHost &host, QWidget *owner, const TlsCertificateInfo &info, bool changed);
