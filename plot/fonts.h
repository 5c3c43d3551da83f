#pragma once
// The typefaces of the windows and the plots. The layouts were made for a face
// with narrow metrics; where it is missing the default sans-serif stands in, and
// captions may then need more room than their places give them.

class QFont;
class QString;

/// \brief "Liberation Sans" when installed, else the default sans-serif family.
QString InterfaceFontFamily();

/// \brief The interface font at `points`, hinted as sans-serif so that a missing
/// family still resolves to a sans-serif face.
QFont InterfaceFont(int points);

/// \brief "Comic Neue" when installed, else the interface family: the about box's
/// lines.
QString AboutFontFamily();
