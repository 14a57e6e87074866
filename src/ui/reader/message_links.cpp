#include "message_links.hpp"

#include <QRegularExpression>

namespace palvarin {

bool IsOpenableLink(const QUrl& target) {
  const QString scheme = target.scheme().toLower();
  if (!target.isValid()) return false;
  // A web link names a host; a mail link an address, and no host.
  if (scheme == QLatin1String("mailto")) return target.host().isEmpty() && !target.path().isEmpty();
  return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
         !target.host().isEmpty();
}

QList<MessageLink> FindLinks(const QString& text) {
  static const QRegularExpression link(
      QStringLiteral("\\b(?:https?://|mailto:)[^\\s<>\"\\x{2068}\\x{2069}]+"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
  QList<MessageLink> links;
  for (auto match = link.globalMatch(text); match.hasNext();) {
    const QRegularExpressionMatch found = match.next();
    QString written = found.captured();
    while (!written.isEmpty() && QStringLiteral(".,;:!?)]}'").contains(written.back())) {
      written.chop(1);
    }
    const QUrl target(written, QUrl::StrictMode);
    if (IsOpenableLink(target)) links.append({found.capturedStart(), written.size(), target});
  }
  return links;
}

}  // namespace palvarin
