#include "posting/variables.h"

#include "host/common/rounding.h"
#include "host/common/textformat.h"

namespace fin {

TVariableList::TVariableList(std::shared_ptr<const TVariableList> base) : base_(std::move(base)) {
    // A base stands alone: lists are layered once, never deeper.
    Q_ASSERT(!base_ || !base_->base_);
}

size_t qHash(const TVariableList::TKey& key, size_t seed) noexcept {
    size_t h = seed;
    for (const QChar c : key.name)
        h = h * 31 + c.toLower().unicode();
    return h;
}

int TVariableList::OwnIndex(const QString& name) const {
    auto it = index_.constFind(TKey{name});
    return it == index_.constEnd() ? -1 : *it;
}

const QString* TVariableList::Find(const QString& name) const {
    if (const int i = OwnIndex(name); i >= 0)
        return &entries_[i].value;
    if (!base_)
        return nullptr;
    const int b = base_->OwnIndex(name);
    if (b < 0)
        return nullptr;
    if (auto it = overrides_.constFind(b); it != overrides_.constEnd())
        return it->removed ? nullptr : &it->value;
    return &base_->entries_[b].value;
}

QString TVariableList::Value(const QString& name) const {
    const QString* v = Find(name);
    return v ? *v : QString();
}

void TVariableList::SetValue(const QString& name, const QString& value) {
    if (const int i = OwnIndex(name); i >= 0) {
        if (!value.isEmpty()) {
            entries_[i].value = value;
            return;
        }
        // Removing is rare (an empty text); the positions after it close up.
        entries_.erase(entries_.begin() + i);
        index_.remove(TKey{name});
        for (auto it = index_.begin(); it != index_.end(); ++it)
            if (*it > i)
                --*it;
        return;
    }
    if (base_) {
        const int b = base_->OwnIndex(name);
        auto it = overrides_.find(b);
        const bool inBase = b >= 0 && !(it != overrides_.end() && it->removed);
        if (inBase) {
            overrides_[b] = {base_->entries_[b].name, value, value.isEmpty()};
            return;
        }
        // Removed from the base and set again: a new line at the end, as for any name.
    }
    if (value.isEmpty())
        return;
    entries_.push_back({name, value, false});
    index_.insert(TKey{name}, static_cast<int>(entries_.size()) - 1);
}

int TVariableList::Count() const {
    int n = static_cast<int>(entries_.size());
    if (base_) {
        n += base_->Count();
        for (auto it = overrides_.constBegin(); it != overrides_.constEnd(); ++it)
            if (it->removed)
                --n;
    }
    return n;
}

void TVariableList::ForEach(
    const std::function<void(const QString& name, const QString& value)>& f) const {
    if (base_) {
        const auto& base = base_->entries_;
        for (int b = 0; b < static_cast<int>(base.size()); ++b) {
            auto it = overrides_.constFind(b);
            if (it == overrides_.constEnd())
                f(base[b].name, base[b].value);
            else if (!it->removed)
                f(base[b].name, it->value);
        }
    }
    for (const TEntry& e : entries_)
        f(e.name, e.value);
}

QStringList TVariableList::Lines() const {
    QStringList lines;
    ForEach([&](const QString& name, const QString& value) {
        lines << name + QLatin1Char('=') + value;
    });
    return lines;
}

QString VariableNumber(double value) {
    return FormatFloat(QStringLiteral("0.#############"), value, TNumberStyle::System);
}

void TVariableList::Add(const QString& name, const QVariant& value, TVariableType type,
                        bool accumulate, bool skipZero) {
    const QString key = QLatin1Char('[') + name + QLatin1Char(']');
    switch (type) {
        case TVariableType::vtInteger: {
            const qint64 i = value.toLongLong();
            if (skipZero && i == 0)
                return;
            const qint64 base = accumulate ? Value(key).toLongLong() : 0;
            SetValue(key, QString::number(base + i));
            return;
        }
        case TVariableType::vtFloat: {
            const double f = value.toDouble();
            if (skipZero && BetterRoundTo(f, -2) == 0)
                return;
            // Text that is no number counts as 0.
            const double base = accumulate ? Value(key).toDouble() : 0;
            SetValue(key, VariableNumber(base + f));
            return;
        }
        case TVariableType::vtString: {
            const QString s = value.toString();
            if (skipZero && s.isEmpty())
                return;
            SetValue(key, accumulate ? Value(key) + s : s);
            return;
        }
    }
}

}  // namespace fin
