#pragma once
// The drug rows of the cloud records read as supplies: which ingredients, from
// which prescription, over which days. The duplicate check, the other clinical
// aids and the supply timeline all read the rows through this one reading, so
// they agree on what a row says; rows that cannot be read are kept with the
// reason, so that every aid can say what it left out.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "report/cloud_tables.h"

namespace report {

// An ingredient name as two records may write it differently: upper case, no
// blanks, no salt or hydrate words ("Losartan Potassium" and "LOSARTAN" agree,
// as do "Tramadol HCl" and "TRAMADOL").
QString normalizedIngredient(const QString& name);

// The ingredients a row names in "成分名稱" (several for a combination product,
// split at "/", "+", ",", ";", "&" and "、"), normalised and without repeats.
QStringList rowIngredients(const CloudRow& row);

struct DrugSupply {
    int row = -1;               // index into the drug source table
    QDate visit;                // "就醫日期"
    QDate start;                // first day of supply: the refill date when there is one
    int days = 0;               // "給藥日數"
    QDate end;                  // last day of supply (before start when days is 0)
    int siteRemaining = 0;      // "單筆餘藥日數試算", computed by the site on the query's day
    QString atc7;               // upper case, may be empty when ingredients name the drug
    QString atcClass;           // the ATC level 4 (five characters), or empty
    QStringList ingredients;    // normalised; empty when the row names none
    int prescription = -1;      // date, source and visit number: one prescription's rows share it
    QString name;               // "藥品名稱" as written (trim it to show it)
    QString source;             // "來源" on one line
    // "新增過敏資料" and "高齡者宜注意用藥品項" as written: the aids that read them
    // walk the rows read here instead of the table's cells.
    QString allergyNote;
    QString elderlyNote;

    // What two rows of one drug share: the ingredients and the ATC7 code.
    const QStringList& tokens() const { return tokens_; }
    QStringList tokens_;  // set when the row is read
    int drugId = -1;      // rows with the same tokens share it (DrugSupplies::drugTokens)
    // Days of supply left on `day`, `day` included: by the period, or by the
    // site's figure where that is larger (a refill the period cannot show).
    int remainingOn(const QDate& day) const;
    bool inSupplyOn(const QDate& day) const { return start <= day && remainingOn(day) > 0; }
    // The last day of supply as far as the site's figure on `day` reaches.
    QDate lastDayOn(const QDate& day) const;
};

struct SkippedDrugRow {
    int row = -1;
    QString reason;  // "日期無法辨識", "給藥日數非整數 (28天)", ...
};

struct DrugSupplies {
    QList<DrugSupply> rows;         // the readable rows, in table order
    QList<SkippedDrugRow> skipped;  // the others, in table order
    QList<QStringList> drugTokens;  // by drugId: the tokens of each distinct drug

    // "n 筆無法判讀: 第3筆 日期無法辨識; ..." or empty; rows are counted from 1.
    QString skippedText() const;
};

// Every row with a date, whole day counts and an ATC7 code or an ingredient.
DrugSupplies readDrugSupplies(const CloudTable& drugs);

// The drugs of `all` that are in supply on `day`.
QList<DrugSupply> suppliedOn(const DrugSupplies& all, const QDate& day);

// Whether two supplies share an ingredient or the ATC7 code.
bool shareIngredient(const DrugSupply& a, const DrugSupply& b);

// Whole years of age on `day` for a birthday, or -1 when either is not a date.
int ageOn(const QDate& birthday, const QDate& day);

}  // namespace report
