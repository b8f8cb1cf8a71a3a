#pragma once
// How much of a text a reader got, word by word, against the text it was made from: shared by
// the text recognition tests and its benchmark.

#include <algorithm>
#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace lexaro::test {

// The words of a text: its runs between white space.
inline std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The share of the reference's words that were read, each as often as it occurs.
inline double Recall(const std::vector<std::string>& reference,
                     const std::vector<std::string>& read) {
    std::map<std::string, int> left;
    for (const std::string& word : read) {
        ++left[word];
    }
    const auto found = std::count_if(reference.begin(), reference.end(),
                                     [&](const std::string& word) { return left[word]-- > 0; });
    return static_cast<double>(found) / static_cast<double>(reference.size());
}

// The share of the reference's words read in their order: the longest common subsequence.
inline double Order(const std::vector<std::string>& reference,
                    const std::vector<std::string>& read) {
    std::vector<std::size_t> row(read.size() + 1, 0);
    for (const std::string& word : reference) {
        std::size_t diagonal = 0;
        for (std::size_t j = 1; j <= read.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = word == read[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
            diagonal = above;
        }
    }
    return static_cast<double>(row.back()) / static_cast<double>(reference.size());
}

}  // namespace lexaro::test
