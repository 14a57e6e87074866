#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace palvarin {

// A link in a message's text: where it stands and what it opens.
struct MessageLink {
  qsizetype start = 0, length = 0;
  QUrl target;
};

// The links of `text` that the reader opens on a click: "http:", "https:" and "mailto:" ones
// only, each up to the first space, quote, angle bracket or bidi isolate, less the punctuation
// that ends a sentence after it. Any other scheme ("javascript:", "file:") is text.
QList<MessageLink> FindLinks(const QString& text);

// Whether `target` is one the reader may open at all.
bool IsOpenableLink(const QUrl& target);

}  // namespace palvarin
