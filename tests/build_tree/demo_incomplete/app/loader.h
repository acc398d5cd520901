// A loader of a library by plain name, as the program's loaders are declared.
struct Loader {
    explicit Loader(QString programDir, QString baseName = QStringLiteral("Other"));
};
