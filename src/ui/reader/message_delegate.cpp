#include "message_delegate.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <algorithm>

#include "entries_model.hpp"
#include "highlight_delegate.hpp"

namespace palvarin {
namespace {

constexpr int kMargin = 4;
constexpr int kRowGap = 3;
constexpr int kMaxLaidCharacters = 4'000'000;

using RowKind = EntriesModel::RowKind;

RowKind KindOf(const QModelIndex& index) {
  return static_cast<RowKind>(index.data(EntriesModel::kRowKindRole).toInt());
}

QTextLayout::FormatRange Range(qsizetype start, qsizetype length, const QTextCharFormat& format) {
  QTextLayout::FormatRange range;
  range.start = static_cast<int>(start);
  range.length = static_cast<int>(length);
  range.format = format;
  return range;
}

bool IsOwn(const QModelIndex& index) {
  return static_cast<EntriesModel::Side>(index.data(EntriesModel::kSideRole).toInt()) ==
         EntriesModel::Side::Own;
}

// The sender in bold (the user in the link colour, the contact in the text's), the recipients
// after it quietly, the text in its own style, the words of a search marked.
QList<QTextLayout::FormatRange> Formats(const QModelIndex& index, qsizetype senderLength,
                                        qsizetype bodyStart, qsizetype bodyLength,
                                        const QList<QPoint>& spans, const QList<MessageLink>& links,
                                        const QPalette& palette) {
  QList<QTextLayout::FormatRange> formats;
  if (senderLength > 0) {
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    if (IsOwn(index)) bold.setForeground(palette.brush(QPalette::Link));
    formats << Range(0, senderLength, bold);
  }
  if (bodyStart > senderLength) {
    QTextCharFormat quiet;
    quiet.setForeground(palette.brush(QPalette::Disabled, QPalette::Text));
    formats << Range(senderLength, bodyStart - senderLength, quiet);
  }
  QTextCharFormat style;
  // The style's own properties only: the view's size stays the text's.
  if (const QVariant font = index.data(Qt::FontRole); font.isValid()) {
    const QFont shown = font.value<QFont>();
    style.setFontFamilies(QStringList{shown.family()});
    style.setFontWeight(shown.weight());
    style.setFontItalic(shown.italic());
    style.setFontUnderline(shown.underline());
    style.setFontStrikeOut(shown.strikeOut());
    style.setFontOverline(shown.overline());
  }
  if (const QVariant color = index.data(Qt::ForegroundRole); color.isValid()) {
    style.setForeground(color.value<QBrush>());
  }
  if (style.propertyCount() > 0) formats << Range(bodyStart, bodyLength, style);
  QTextCharFormat link;
  link.setForeground(palette.brush(QPalette::Link));
  link.setFontUnderline(true);
  for (const MessageLink& each : links) formats << Range(each.start, each.length, link);
  QTextCharFormat mark;
  mark.setBackground(palette.brush(QPalette::Highlight));
  mark.setForeground(palette.brush(QPalette::HighlightedText));
  for (const QPoint span : spans) {
    formats << Range(bodyStart + span.x(), span.y(), mark);
  }
  return formats;
}

}  // namespace

MessageDelegate::MessageDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), view_(view) {
  laid_.setMaxCost(kMaxLaidCharacters);
}

void MessageDelegate::Forget() {
  laid_.clear();
  width_ = -1;
}

int MessageDelegate::TextLeft() const {
  return kMargin * 3 + view_->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00"));
}

int MessageDelegate::TextWidth() const {
  return std::max(view_->viewport()->width() - TextLeft() - kMargin, 40);
}

const MessageDelegate::Laid& MessageDelegate::Layout(const QModelIndex& index) const {
  if (width_ != TextWidth()) {
    laid_.clear();
    width_ = TextWidth();
  }
  if (const Laid* laid = laid_.object(index.row())) return *laid;
  const QString sender = index.data(EntriesModel::kSenderRole).toString();
  const QString recipients = index.data(EntriesModel::kRecipientsRole).toString();
  QString text = sender;
  if (!recipients.isEmpty()) text += QStringLiteral(" \u2192 ") + recipients;
  if (!text.isEmpty()) text += QStringLiteral(": ");
  const qsizetype bodyStart = text.size();
  QString body = index.data(EntriesModel::kBodyRole).toString();
  // A line break as QTextLayout breaks lines; the text keeps its length, and so the spans.
  body.replace(u'\n', QChar::LineSeparator);
  text += body;

  auto laid = new Laid;
  QFont font = view_->font();
  if (KindOf(index) == RowKind::Quiet) font.setItalic(true);
  laid->layout = std::make_unique<QTextLayout>(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  // The line runs left to right whatever a name or a text holds: each is isolated inside.
  option.setTextDirection(Qt::LeftToRight);
  laid->layout->setTextOption(option);
  const auto spans = index.data(kWordSpansRole).value<QList<QPoint>>();
  // A quiet row (an invitation, a join) names its kind, never a link.
  if (KindOf(index) == RowKind::Message) laid->links = FindLinks(body);
  for (MessageLink& link : laid->links) link.start += bodyStart;
  laid->layout->setFormats(
      Formats(index, sender.size(), bodyStart, body.size(), spans, laid->links, view_->palette()));
  const qsizetype firstMark = spans.isEmpty() ? -1 : bodyStart + spans.front().x();
  qreal height = 0;
  laid->layout->beginLayout();
  for (QTextLine line = laid->layout->createLine(); line.isValid();
       line = laid->layout->createLine()) {
    line.setLineWidth(width_);
    line.setPosition(QPointF(0, height));
    if (firstMark >= line.textStart() && firstMark < line.textStart() + line.textLength()) {
      laid->firstMark = static_cast<int>(height);
    }
    height += line.height();
  }
  laid->layout->endLayout();
  laid->height = static_cast<int>(std::ceil(height)) + kRowGap * 2;
  const auto cost = static_cast<int>(std::max<qsizetype>(text.size(), 1));
  const Laid& kept = *laid;
  laid_.insert(index.row(), laid, std::min(cost, kMaxLaidCharacters));
  return kept;
}

QSize MessageDelegate::sizeHint(const QStyleOptionViewItem& /*option*/,
                                const QModelIndex& index) const {
  const int width = view_->viewport()->width();
  if (KindOf(index) == RowKind::Date) {
    return {width, view_->fontMetrics().lineSpacing() * 2 + kRowGap * 2};
  }
  return {width, Layout(index).height};
}

std::optional<QUrl> MessageDelegate::LinkAt(const QModelIndex& index, QPoint at) const {
  if (!index.isValid() || KindOf(index) == RowKind::Date) return std::nullopt;
  const Laid& laid = Layout(index);
  if (laid.links.isEmpty()) return std::nullopt;
  const QPointF point(at.x() - TextLeft(), at.y() - kRowGap);
  const QTextLayout& layout = *laid.layout;
  for (int number = 0; number < layout.lineCount(); ++number) {
    const QTextLine line = layout.lineAt(number);
    if (point.y() < line.y() || point.y() >= line.y() + line.height()) continue;
    if (point.x() < line.x() || point.x() >= line.x() + line.naturalTextWidth()) break;
    const int character = line.xToCursor(point.x(), QTextLine::CursorOnCharacter);
    for (const MessageLink& link : laid.links) {
      if (character >= link.start && character < link.start + link.length) return link.target;
    }
    break;
  }
  return std::nullopt;
}

int MessageDelegate::HighlightOffset(const QModelIndex& index) const {
  if (KindOf(index) == RowKind::Date) return 0;
  return Layout(index).firstMark;
}

void MessageDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  cell.text.clear();
  cell.features &= ~QStyleOptionViewItem::HasDisplay;
  QStyle* style = view_->style();
  const bool selected = (cell.state & QStyle::State_Selected) != 0;
  const RowKind kind = KindOf(index);
  if (kind != RowKind::Date) style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view_);
  // Only what is in sight: a row may be many screens high.
  const QRect shown = option.rect.intersected(view_->viewport()->rect());
  if (shown.isEmpty()) return;
  painter->save();
  painter->setClipRect(shown);
  const QPalette& palette = option.palette;
  painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
  if (kind == RowKind::Date) {
    QFont bold = view_->font();
    bold.setBold(true);
    painter->setFont(bold);
    const QString date = index.data(Qt::DisplayRole).toString();
    const QRect line = option.rect.adjusted(kMargin, kRowGap, -kMargin, -kRowGap);
    painter->drawText(line, Qt::AlignCenter, date);
    const int textWidth = QFontMetrics(bold).horizontalAdvance(date) + kMargin * 4;
    const int middle = line.center().y();
    painter->setPen(palette.color(QPalette::Mid));
    painter->drawLine(line.left(), middle, line.center().x() - textWidth / 2, middle);
    painter->drawLine(line.center().x() + textWidth / 2, middle, line.right(), middle);
    painter->restore();
    return;
  }
  if (kind == RowKind::Quiet && !selected) {
    painter->setPen(palette.color(QPalette::Disabled, QPalette::Text));
  }
  // The user's own messages carry a bar down the gutter's edge, as well as their colour.
  if (IsOwn(index)) {
    painter->fillRect(
        QRect(option.rect.left(), option.rect.top(), kMargin / 2, option.rect.height()),
        palette.brush(QPalette::Link));
  }
  const Laid& laid = Layout(index);
  const QPointF origin(option.rect.left() + TextLeft(), option.rect.top() + kRowGap);
  const QTextLayout& layout = *laid.layout;
  if (layout.lineCount() > 0) {
    const QTextLine first = layout.lineAt(0);
    painter->drawText(QPointF(option.rect.left() + kMargin, origin.y() + first.ascent()),
                      index.data(EntriesModel::kClockRole).toString());
  }
  // The first line in sight, found by halving: the lines lie one below the other.
  const qreal top = shown.top() - origin.y();
  const qreal bottom = shown.bottom() + 1 - origin.y();
  int low = 0;
  int high = layout.lineCount();
  while (low < high) {
    const int middle = (low + high) / 2;
    const QTextLine line = layout.lineAt(middle);
    if (line.y() + line.height() < top) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  for (int at = low; at < layout.lineCount(); ++at) {
    const QTextLine line = layout.lineAt(at);
    if (line.y() > bottom) break;
    line.draw(painter, origin);
  }
  painter->restore();
}

}  // namespace palvarin
