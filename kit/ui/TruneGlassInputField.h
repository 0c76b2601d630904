#pragma once

class QLineEdit;

// Gives a text field the glass look: a translucent rounded field with a hairline border inside
// its edge, primary-coloured text at 12.5 px, padded `horizontalPadding` and `verticalPadding`
// from the field's edge to its text.
void truneGlassInputField(QLineEdit& field, double cornerRadius, double horizontalPadding, double verticalPadding);

// The darker field of the studio's toolbars: black at 0.2 in a rounded rectangle edged inside by a
// 0.5 px line of borderSubtle at 0.65, otherwise as truneGlassInputField.
void truneRecessedInputField(QLineEdit& field, double cornerRadius, double horizontalPadding, double verticalPadding);
