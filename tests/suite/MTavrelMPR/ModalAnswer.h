#pragma once

#include <QString>

// Answers the next modal message box by clicking the button with the given text, and
// keeps the box's text in *seen. The box must open within the current call (the answer
// is posted to the event loop that the box starts).
void answerNextBox(const QString& buttonText, QString* seen = nullptr);
