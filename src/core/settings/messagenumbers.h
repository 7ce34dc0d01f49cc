#pragma once

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
    // The server profile dialog's transfer modes and connection test.
    TransferModeAuto = 1409,
    TransferModePassive = 1410,
    TransferModeActive = 1411,
    TestWorkedPassive = 1412,
    TestWorkedActive = 1413,
    TestHostNotFound = 1414,
    TestNoConnection = 1415,
    TestTurnedAway = 1416,
    TestLoginRefused = 1417,
    TestDirectoryMissing = 1418,
    TestDataConnectionBlocked = 1419,
    TestListingFailed = 1420,
    // Encrypted connections: the profile dialog's choices, the status line and the test.
    SecurityIfAvailable = 1422, // 1422..1425 in the order of TFtpSecurity
    SecurityRequired = 1423,
    SecurityImplicit = 1424,
    SecurityNone = 1425,
    ConnectedNotEncrypted = 1426,
    TestNotEncrypted = 1427,
    TestCertificateRefused = 1428,
    UseImplicitPort = 1429,
    TestNoEncryption = 1440,
    // Saving: the file really written is another than the save dialog asked about.
    ReplaceWrittenFile = 1500,
    // The link editor: what the project file cannot hold, a missing description, favorites.
    LinkAddressHasBar = 1560,
    LinkDescriptionHasBar = 1561,
    LinkPictureHasBar = 1562,
    LinkNeedsDescription = 1563,
    FavoriteHasNoAddress = 1564,
    FavoriteTooLarge = 1565,
    ReadingLinks = 1566,
    // Messages that came with later features and had no number, so they stayed English.
    StopUploadQuestion = 1603,
    TransferIncomplete = 1604,
    NotAValidInteger = 1605,
    // Tool tips of the picture buttons of steps 2 and 3 and of the link editor's clear button.
    HintChooseBackground = 1520,
    HintClearBackground = 1521,
    HintChooseImage = 1522,
    HintClearImage = 1523,
    HintClearLinkImage = 1524,
    // The upload: a lost connection is made again.
    Reconnecting = 1610,
    // The profile dialog's Test for a server that never greets, an oversized Remote.ini, and
    // the choice to replace files only once they arrived whole (its caption is tag 1623).
    TestNoAnswer = 1620,
    TestTryImplicitTls = 1621,
    RemoteIniTooLarge = 1622,
    HintRenameAfterUpload = 1624,
    NameRenameAfterUpload = 1625,
    // What an upload that did not store every file says of each file left out.
    UploadedFileName = 1630,
    PageHeldBack = 1631,
};
}
