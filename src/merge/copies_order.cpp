#include "copies_order.hpp"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

#include "identity_order.hpp"

namespace palvarin {
namespace {

using Edge = std::pair<int, int>;  // (before, after)

std::size_t At(int value) { return static_cast<std::size_t>(value); }

// Edges as lists of successors: those of node n are after[start[n] .. start[n + 1]).
struct Successors {
  std::vector<int> start;
  std::vector<int> after;

  Successors(int count, const std::vector<Edge>& edges)
      : start(At(count) + 1, 0), after(edges.size()) {
    for (const Edge& edge : edges) ++start[At(edge.first) + 1];
    for (std::size_t n = 1; n < start.size(); ++n) start[n] += start[n - 1];
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (const Edge& edge : edges) after[At(fill[At(edge.first)]++)] = edge.second;
  }
};

// The strongly connected component of each node (Tarjan's, without recursion: a session may
// hold many thousand entries); returns the number of components.
int Components(int count, const Successors& graph, std::vector<int>& component) {
  std::vector<int> number(At(count), -1);
  std::vector<int> low(At(count), 0);
  std::vector<bool> onStack(At(count), false);
  std::vector<int> stack;
  std::vector<Edge> calls;  // (node, its next edge)
  component.assign(At(count), -1);
  int numbered = 0;
  int components = 0;
  const auto visit = [&](int node) {
    number[At(node)] = low[At(node)] = numbered++;
    stack.push_back(node);
    onStack[At(node)] = true;
    calls.emplace_back(node, graph.start[At(node)]);
  };
  for (int root = 0; root < count; ++root) {
    if (number[At(root)] >= 0) continue;
    visit(root);
    while (!calls.empty()) {
      const int node = calls.back().first;
      if (calls.back().second < graph.start[At(node) + 1]) {
        const int next = graph.after[At(calls.back().second++)];
        if (number[At(next)] < 0) {
          visit(next);
        } else if (onStack[At(next)]) {
          low[At(node)] = std::min(low[At(node)], number[At(next)]);
        }
        continue;
      }
      calls.pop_back();
      if (!calls.empty()) {
        const int caller = calls.back().first;
        low[At(caller)] = std::min(low[At(caller)], low[At(node)]);
      }
      if (low[At(node)] != number[At(node)]) continue;
      for (int member = -1; member != node;) {
        member = stack.back();
        stack.pop_back();
        onStack[At(member)] = false;
        component[At(member)] = components;
      }
      ++components;
    }
  }
  return components;
}

// The nodes 0 .. count - 1 in an order that keeps every edge outside a cycle, the lowest node
// first wherever the edges leave a choice. The nodes of a cycle (the copies contradict one
// another there) go together, lowest first.
std::vector<int> TopologicalOrder(int count, const std::vector<Edge>& edges) {
  const Successors graph(count, edges);
  std::vector<int> component;
  const int components = Components(count, graph, component);
  std::vector<std::vector<int>> members(At(components));
  for (int n = 0; n < count; ++n) members[At(component[At(n)])].push_back(n);
  std::vector<int> waiting(At(components), 0);
  for (const Edge& edge : edges) {
    if (component[At(edge.first)] != component[At(edge.second)]) {
      ++waiting[At(component[At(edge.second)])];
    }
  }
  // Components by their lowest node.
  using Ready = std::pair<int, int>;
  std::priority_queue<Ready, std::vector<Ready>, std::greater<>> ready;
  for (int c = 0; c < components; ++c) {
    if (waiting[At(c)] == 0) ready.emplace(members[At(c)].front(), c);
  }
  std::vector<int> order;
  order.reserve(At(count));
  while (!ready.empty()) {
    const int c = ready.top().second;
    ready.pop();
    for (int node : members[At(c)]) {
      order.push_back(node);
      for (int k = graph.start[At(node)]; k < graph.start[At(node) + 1]; ++k) {
        const int next = component[At(graph.after[At(k)])];
        if (next != c && --waiting[At(next)] == 0) ready.emplace(members[At(next)].front(), next);
      }
    }
  }
  return order;
}

// For each entry of `copy` (by ordinal among its elements), the merged entry it is: the k-th
// copy of an identity in `copy` is the k-th in the merge; -1 when the merge has no such copy.
// `merged` holds the merged entries in order of identity, `identityOf` each one's identity.
template <typename IdentityOf>
std::vector<int> PlaceInMerge(const std::vector<int>& merged, IdentityOf identityOf,
                              const EntryList& copy) {
  std::vector<int> index;
  for (int i = 0; (copy.SkipToElement(i), i < copy.Length()); ++i) index.push_back(i);
  const auto identityAt = [&](int o) -> const EntryIdentity& {
    return copy.Identity(index[At(o)]);
  };
  const std::vector<int> sorted = SortedByIdentity(static_cast<int>(index.size()), identityAt);
  std::vector<int> place(index.size(), -1);
  auto at = merged.begin();
  for (const int o : sorted) {
    const EntryIdentity& identity = identityAt(o);
    while (at != merged.end() && identityOf(*at) < identity) ++at;
    if (at == merged.end() || identityOf(*at) != identity) continue;
    place[At(o)] = *at;
    ++at;
  }
  return place;
}

}  // namespace

std::optional<std::vector<MergedEntry>> KeepCopiesOrder(const std::vector<MergedEntry>& merged,
                                                        const EntryList& list1,
                                                        const EntryList& list2,
                                                        std::span<const EntryList* const> copies) {
  const int count = static_cast<int>(merged.size());
  // Sessions as blocks 0, 1, 2, ... in the merge's order.
  std::vector<int> block(merged.size());
  std::vector<int> blockStart;
  for (int n = 0; n < count; ++n) {
    if (n == 0 || merged[At(n)].session != merged[At(n) - 1].session) blockStart.push_back(n);
    block[At(n)] = static_cast<int>(blockStart.size()) - 1;
  }
  const int blocks = static_cast<int>(blockStart.size());
  blockStart.push_back(count);
  const auto identityOf = [&](int n) -> const EntryIdentity& {
    return IdentityOf(merged[At(n)], list1, list2);
  };
  const std::vector<int> byIdentity = SortedByIdentity(count, identityOf);
  // Each copy's neighbours: inside one session they order entries, across two the sessions.
  std::vector<Edge> entryEdges;
  std::vector<Edge> blockEdges;
  bool backward = false;
  for (const EntryList* copy : copies) {
    const std::vector<int> place = PlaceInMerge(byIdentity, identityOf, *copy);
    int before = -1;
    for (const int after : place) {
      if (after < 0) continue;
      if (before < 0) {
        before = after;
        continue;
      }
      backward |= after < before;
      if (block[At(before)] == block[At(after)]) {
        entryEdges.emplace_back(before, after);
      } else {
        blockEdges.emplace_back(block[At(before)], block[At(after)]);
      }
      before = after;
    }
  }
  if (!backward) return std::nullopt;
  // Each session's own edges, numbered from its first entry.
  std::vector<std::vector<Edge>> inside(At(blocks));
  for (const Edge& edge : entryEdges) {
    const int first = blockStart[At(block[At(edge.first)])];
    inside[At(block[At(edge.first)])].emplace_back(edge.first - first, edge.second - first);
  }
  std::vector<MergedEntry> ordered;
  ordered.reserve(merged.size());
  const std::vector<int> blockOrder = TopologicalOrder(blocks, blockEdges);
  for (std::size_t rank = 0; rank < blockOrder.size(); ++rank) {
    const int b = blockOrder[rank];
    const int first = blockStart[At(b)];
    const int session = merged[At(blockStart[rank])].session;
    for (int n : TopologicalOrder(blockStart[At(b) + 1] - first, inside[At(b)])) {
      ordered.push_back(merged[At(first + n)]);
      ordered.back().session = session;
    }
  }
  return ordered;
}

}  // namespace palvarin
