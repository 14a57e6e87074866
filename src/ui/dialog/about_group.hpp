#pragma once

class QGroupBox;
class QWidget;

namespace palvarin {

// The about group ("aboutGroup"): the program's title with "Version1.1" ("aboutTitleLabel"),
// the ownership line ("aboutOwnerLabel"), and the mail and web lines ("mailCaption" with
// "mailLink", "webCaption" with "webLink"). The project has no mail address and no web site
// of its own: the mail line says so, and the web line links to the local README when it is
// there and says so otherwise.
QGroupBox* MakeAboutGroup(QWidget* parent);

}  // namespace palvarin
