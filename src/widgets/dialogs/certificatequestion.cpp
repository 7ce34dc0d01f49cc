#include "certificatequestion.h"

#include "dialogservice.h"
#include "wizardhost.h"

bool askToTrustCertificate(
    WizardHost &host, QWidget *owner, const TlsCertificateInfo &info, bool changed)
{
    CertificatePrompt prompt;
    prompt.host = info.host;
    prompt.subject = info.subject;
    prompt.issuer = info.issuer;
    prompt.notBefore = info.notBefore;
    prompt.notAfter = info.notAfter;
    prompt.fingerprint = Fingerprints::format(info.sha256);
    prompt.reason = info.reason;
    prompt.changed = changed;
    prompt.translate = [&host](QWidget *dialog) { host.applyLanguage(dialog); };
    return host.dialogs().trustCertificate(owner, prompt);
}
