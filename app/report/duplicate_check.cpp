#include "report/duplicate_check.h"

#include <QHash>
#include <QSet>
#include <algorithm>

#include "report/clinical_tables.h"

namespace cloud {

QString duplicateReasonText(DuplicateReason reason) {
    switch (reason) {
        case DuplicateReason::SameIngredient: return QStringLiteral("同成分");
        case DuplicateReason::SameClass: return QStringLiteral("同藥理類別");
        case DuplicateReason::SameEffect: return QStringLiteral("同療效");
        case DuplicateReason::Switch: return QStringLiteral("換藥?");
        case DuplicateReason::EarlyRefill: break;
    }
    return QStringLiteral("提早領藥");
}

bool countsAsDuplicate(DuplicateReason reason) {
    return reason == DuplicateReason::SameIngredient || reason == DuplicateReason::SameClass ||
           reason == DuplicateReason::SameEffect;
}

int DuplicateFindings::duplicateCount() const {
    return int(std::count_if(groups.begin(), groups.end(),
                             [](const DuplicateGroup& g) { return countsAsDuplicate(g.reason); }));
}

QString duplicateSummary(const DuplicateFindings& findings) {
    return QStringLiteral("重複用藥:%1").arg(findings.duplicateCount());
}

namespace {

// One drug among those in supply: the rows that hold the same ingredients and code.
struct Drug {
    QStringList tokens;
    QString atcClass;
    QList<int> rows;            // indices into the supplied rows
    QSet<QString> prescriptions;
    // The first and last dispensing of any row sharing a token, and where from.
    QDate first, last;
    QString firstSource, lastSource;
};

class Checker {
  public:
    Checker(const DrugSupplies& all, const QDate& day, const DuplicateOptions& options)
        : day_(day), options_(options), supplied_(suppliedOn(all, day)) {
        QHash<QString, int> byKey;
        for (int i = 0; i < supplied_.size(); ++i) {
            QStringList tokens = supplied_.at(i).tokens();
            tokens.sort();
            const QString key = tokens.join(u'|');
            auto it = byKey.find(key);
            if (it == byKey.end()) {
                it = byKey.insert(key, int(drugs_.size()));
                drugs_.append({tokens, supplied_.at(i).atcClass, {}, {}, {}, {}, {}, {}});
            }
            Drug& d = drugs_[*it];
            d.rows << i;
            d.prescriptions.insert(supplied_.at(i).prescription);
            prescriptionDrugs_[supplied_.at(i).prescription].insert(*it);
        }
        // The history of every token, in supply or not, for telling a switch.
        struct Span {
            QDate first, last;
            QString firstSource, lastSource;
        };
        QHash<QString, Span> spans;
        for (const DrugSupply& s : all.rows)
            for (const QString& t : s.tokens()) {
                auto it = spans.find(t);
                if (it == spans.end()) {
                    spans.insert(t, {s.start, s.start, s.source, s.source});
                    continue;
                }
                if (s.start < it->first) *it = {s.start, it->last, s.source, it->lastSource};
                if (s.start > it->last) *it = {it->first, s.start, it->firstSource, s.source};
            }
        for (Drug& d : drugs_)
            for (const QString& t : d.tokens) {
                const Span sp = spans.value(t);
                if (!d.first.isValid() || sp.first < d.first) {
                    d.first = sp.first;
                    d.firstSource = sp.firstSource;
                }
                if (!d.last.isValid() || sp.last > d.last) {
                    d.last = sp.last;
                    d.lastSource = sp.lastSource;
                }
            }
    }

    QList<DuplicateGroup> run() const {
        QList<DuplicateGroup> groups = sameIngredient();
        groups += sameClass();
        groups += sameEffect();
        std::stable_sort(groups.begin(), groups.end(),
                         [](const DuplicateGroup& a, const DuplicateGroup& b) {
                             if (a.reason != b.reason) return a.reason < b.reason;
                             const QDate na = a.entries.first().date, nb = b.entries.first().date;
                             return na != nb ? na > nb : a.code < b.code;
                         });
        return groups;
    }

  private:
    // Days both supplies cover, as far as the site's figures reach.
    qint64 overlapDays(const DrugSupply& a, const DrugSupply& b) const {
        const QDate from = std::max(a.start, b.start);
        const QDate to = std::min(a.lastDayOn(day_), b.lastDayOn(day_));
        return from.daysTo(to) + 1;
    }

    // The later supply was collected shortly before the earlier one ran out: a
    // few days, and not more than half of the earlier supply (a second 7-day
    // course the next day is a duplicate, not a refill).
    bool earlyRefill(const DrugSupply& a, const DrugSupply& b) const {
        const DrugSupply& earlier = a.start <= b.start ? a : b;
        const qint64 overlap = overlapDays(a, b);
        const qint64 length = earlier.start.daysTo(earlier.lastDayOn(day_)) + 1;
        return overlap <= options_.earlyRefillDays && overlap * 2 <= length;
    }

    static bool share(const Drug& a, const Drug& b) {
        for (const QString& t : a.tokens)
            if (b.tokens.contains(t)) return true;
        return false;
    }

    // Combined on purpose: one prescription in supply holds a drug like `a` and
    // a drug like `b` (aspirin and clopidogrel after a stent).
    bool combined(const Drug& a, const Drug& b) const {
        for (const QString& p : a.prescriptions)
            for (int other : prescriptionDrugs_.value(p))
                if (share(drugs_.at(other), b)) return true;
        return false;
    }

    // Every dispensing of one drug comes before every dispensing of the other, and
    // the new one came from where the old one last did: the doctor changed the
    // drug and the old supply has not run out yet. From two institutions it is
    // two doctors' drugs.
    static bool switched(const Drug& a, const Drug& b) {
        return (a.last < b.first && a.lastSource == b.firstSource) ||
               (b.last < a.first && b.lastSource == a.firstSource);
    }

    DuplicateGroup group(DuplicateReason reason, const QString& code, const QString& note,
                         const QList<int>& members) const {
        DuplicateGroup g;
        g.reason = reason;
        g.code = code;
        g.note = note;
        for (int i : members) {
            const DrugSupply& s = supplied_.at(i);
            g.entries.append({s.row, s.visit, s.start, s.remainingOn(day_)});
        }
        std::stable_sort(
            g.entries.begin(), g.entries.end(),
            [](const DuplicateEntry& a, const DuplicateEntry& b) { return a.date > b.date; });
        return g;
    }

    QList<DuplicateGroup> sameIngredient() const {
        // Each row under every ingredient it holds and under its ATC7 code.
        QHash<QString, QList<int>> byToken;
        QStringList order;
        for (int i = 0; i < supplied_.size(); ++i)
            for (const QString& t : supplied_.at(i).tokens()) {
                if (!byToken.contains(t)) order << t;
                byToken[t] << i;
            }
        QList<DuplicateGroup> out;
        QList<QSet<int>> kept;
        for (const QString& token : order) {
            const QList<int>& members = byToken.value(token);
            if (members.size() < 2) continue;
            const QSet<int> set(members.begin(), members.end());
            // A code that only repeats an ingredient's group adds nothing.
            if (std::any_of(kept.begin(), kept.end(), [&](const QSet<int>& k) {
                    return set.size() <= k.size() && k.contains(set);
                }))
                continue;
            bool pair = false, duplicate = false;
            qint64 early = 0;
            for (int x = 0; x < members.size(); ++x)
                for (int y = x + 1; y < members.size(); ++y) {
                    const DrugSupply& a = supplied_.at(members.at(x));
                    const DrugSupply& b = supplied_.at(members.at(y));
                    if (a.prescription == b.prescription) continue;
                    pair = true;
                    if (earlyRefill(a, b))
                        early = std::max(early, overlapDays(a, b));
                    else
                        duplicate = true;
                }
            if (!pair) continue;
            kept << set;
            const QString note =
                duplicate ? QString() : QStringLiteral("前次藥尚餘 %1 天時領藥").arg(early);
            out << group(duplicate ? DuplicateReason::SameIngredient : DuplicateReason::EarlyRefill,
                         token, note, members);
        }
        return out;
    }

    // Pairs of different drugs that `related` joins and no prescription combines;
    // one group, a switch when every pair is one.
    template <typename Related>
    void pairGroup(DuplicateReason reason, const QString& code, const QString& note,
                   Related related, QList<DuplicateGroup>& out) const {
        QSet<int> members;
        bool any = false, duplicate = false;
        for (int x = 0; x < drugs_.size(); ++x)
            for (int y = 0; y < drugs_.size(); ++y) {
                if (x == y) continue;
                const Drug& a = drugs_.at(x);
                const Drug& b = drugs_.at(y);
                if (!related(a, b) || share(a, b) || combined(a, b)) continue;
                any = true;
                members.insert(x);
                members.insert(y);
                if (!switched(a, b)) duplicate = true;
            }
        if (!any) return;
        QList<int> rows;
        for (int d : members) rows += drugs_.at(d).rows;
        std::sort(rows.begin(), rows.end());
        out << group(duplicate ? reason : DuplicateReason::Switch, code, note, rows);
    }

    QList<DuplicateGroup> sameClass() const {
        QStringList classes;
        for (const Drug& d : drugs_)
            if (!d.atcClass.isEmpty() && !classes.contains(d.atcClass)) classes << d.atcClass;
        QList<DuplicateGroup> out;
        for (const QString& c : classes)
            pairGroup(
                DuplicateReason::SameClass, c, QString(),
                [&c](const Drug& a, const Drug& b) { return a.atcClass == c && b.atcClass == c; },
                out);
        return out;
    }

    QList<DuplicateGroup> sameEffect() const {
        QList<DuplicateGroup> out;
        for (const DuplicationRule& rule : therapeuticDuplications()) {
            QList<bool> first, second, exempt;
            for (const Drug& d : drugs_) {
                const DrugSupply& s = supplied_.at(d.rows.first());
                first << matchesPattern(s, rule.first);
                second << matchesPattern(s, rule.second);
                exempt << matchesPattern(s, rule.exempt);
            }
            auto index = [this](const Drug& d) { return int(&d - drugs_.constData()); };
            pairGroup(
                DuplicateReason::SameEffect, rule.name,
                rule.reason + QStringLiteral(" [") + rule.source + u']',
                [&](const Drug& a, const Drug& b) {
                    const int ia = index(a), ib = index(b);
                    // Across level-4 groups only: within one, the class check speaks.
                    return first.at(ia) && second.at(ib) && !exempt.at(ia) && !exempt.at(ib) &&
                           (a.atcClass.isEmpty() || a.atcClass != b.atcClass);
                },
                out);
        }
        return out;
    }

    QDate day_;
    DuplicateOptions options_;
    QList<DrugSupply> supplied_;
    QList<Drug> drugs_;
    QHash<QString, QSet<int>> prescriptionDrugs_;
};

}  // namespace

DuplicateFindings findDuplicates(const CloudTable& drugs, const QDate& day,
                                 const DuplicateOptions& options) {
    DuplicateFindings out;
    out.day = day;
    out.earlyRefillDays = options.earlyRefillDays;
    out.rowFlags.fill(false, drugs.rows.size());
    out.rowWarnings.fill(QString(), drugs.rows.size());
    const DrugSupplies all = readDrugSupplies(drugs);
    out.skipped = all.skipped;
    out.skippedText = all.skippedText();
    if (!day.isValid()) return out;

    out.groups = Checker(all, day, options).run();
    for (const DuplicateGroup& g : out.groups) {
        const QString text = duplicateReasonText(g.reason);
        for (const DuplicateEntry& e : g.entries) {
            if (countsAsDuplicate(g.reason)) out.rowFlags[e.row] = true;
            QString& w = out.rowWarnings[e.row];
            if (!w.split(u' ', Qt::SkipEmptyParts).contains(text))
                w = w.isEmpty() ? text : w + u' ' + text;
        }
    }
    return out;
}

}  // namespace cloud
