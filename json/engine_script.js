// The script every JSON document's engine receives. The build turns it into one line: comment
// lines go, every other line is trimmed, and the lines are joined by single spaces. So: ASCII only,
// comments only on lines of their own, and every statement ends in a semicolon.
//
// It is written for engines as old as ES3: JSON, Date.prototype.toJSON, the primitive toJSON methods
// and Object.keys-style helpers may be missing, and each part below defines only what the engine
// lacks. The two members added to Object.prototype at the end are always there.

// The number of c's own enumerable members: a for-in loop also visits the two members that
// Object.prototype receives below, hence the start at -2.
function get__count(c) {
  var count = -2;
  for (v in c) {
    count++;
  }
  return count;
}

if (typeof JSON !== 'object') {
  JSON = {};
}

(function () {
  'use strict';

  var hasOwn = Object.prototype.hasOwnProperty;
  var classOf = function (value) {
    return Object.prototype.toString.call(value);
  };

  function twoDigits(n) {
    return n < 10 ? '0' + n : String(n);
  }

  function returnValueOf() {
    return this.valueOf();
  }

  if (typeof Date.prototype.toJSON !== 'function') {
    Date.prototype.toJSON = function () {
      if (!isFinite(this.valueOf())) {
        return null;
      }
      return this.getUTCFullYear() + '-' + twoDigits(this.getUTCMonth() + 1) + '-' +
          twoDigits(this.getUTCDate()) + 'T' + twoDigits(this.getUTCHours()) + ':' +
          twoDigits(this.getUTCMinutes()) + ':' + twoDigits(this.getUTCSeconds()) + 'Z';
    };
    String.prototype.toJSON = returnValueOf;
    Number.prototype.toJSON = returnValueOf;
    Boolean.prototype.toJSON = returnValueOf;
  }

  function contains(list, item) {
    for (var i = 0; i < list.length; i++) {
      if (list[i] === item) {
        return true;
      }
    }
    return false;
  }

  function ownKeys(object) {
    var keys = [];
    for (var key in object) {
      if (hasOwn.call(object, key)) {
        keys.push(key);
      }
    }
    return keys;
  }

  function unicodeEscape(character) {
    return '\\u' + ('0000' + character.charCodeAt(0).toString(16)).slice(-4);
  }

  // Beyond what JSON requires, characters that some readers drop or treat as line ends are escaped.
  var escaped = /[\\"\u0000-\u001f\u007f-\u009f\u00ad\u0600-\u0604\u070f\u17b4\u17b5\u200c-\u200f\u2028-\u202f\u2060-\u206f\ufeff\ufff0-\uffff]/g;
  var namedEscapes = {
    '\b': '\\b', '\t': '\\t', '\n': '\\n', '\f': '\\f', '\r': '\\r', '"': '\\"', '\\': '\\\\'
  };

  function quote(text) {
    return '"' + text.replace(escaped, function (character) {
      var named = namedEscapes[character];
      return typeof named === 'string' ? named : unicodeEscape(character);
    }) + '"';
  }

  // state: gap and indent (text), replacer (function or null), keys (list of names or null) and
  // stack (the objects being written, to refuse cycles).
  function serialize(holder, key, state) {
    var value = holder[key];
    if (value !== null && (typeof value === 'object' || typeof value === 'function') &&
        typeof value.toJSON === 'function') {
      value = value.toJSON(key);
    }
    if (state.replacer) {
      value = state.replacer.call(holder, key, value);
    }
    if (typeof value === 'object' && value !== null) {
      var wrapped = classOf(value);
      if (wrapped === '[object Number]') {
        value = Number(value);
      } else if (wrapped === '[object String]') {
        value = String(value);
      } else if (wrapped === '[object Boolean]') {
        value = value.valueOf();
      }
    }
    switch (typeof value) {
      case 'string':
        return quote(value);
      case 'number':
        return isFinite(value) ? String(value) : 'null';
      case 'boolean':
        return String(value);
      case 'object':
        if (value === null) {
          return 'null';
        }
        return classOf(value) === '[object Array]' ? serializeArray(value, state) :
                                                     serializeObject(value, state);
    }
    return undefined;
  }

  function serializeArray(array, state) {
    var outer = enter(array, state);
    var parts = [];
    for (var i = 0; i < array.length; i++) {
      var text = serialize(array, String(i), state);
      parts.push(text === undefined ? 'null' : text);
    }
    return leave(parts, '[', ']', outer, state);
  }

  function serializeObject(object, state) {
    var outer = enter(object, state);
    var keys = state.keys || ownKeys(object);
    var colon = state.gap ? ': ' : ':';
    var parts = [];
    for (var i = 0; i < keys.length; i++) {
      var text = serialize(object, keys[i], state);
      if (text !== undefined) {
        parts.push(quote(keys[i]) + colon + text);
      }
    }
    return leave(parts, '{', '}', outer, state);
  }

  function enter(value, state) {
    if (contains(state.stack, value)) {
      throw new TypeError('JSON.stringify');
    }
    state.stack.push(value);
    var outer = state.indent;
    state.indent += state.gap;
    return outer;
  }

  function leave(parts, open, close, outer, state) {
    var inner = state.indent;
    state.stack.pop();
    state.indent = outer;
    if (parts.length === 0) {
      return open + close;
    }
    if (!state.gap) {
      return open + parts.join(',') + close;
    }
    return open + '\n' + inner + parts.join(',\n' + inner) + '\n' + outer + close;
  }

  function gapFrom(space) {
    if (typeof space === 'object' && space !== null) {
      if (classOf(space) === '[object Number]') {
        space = Number(space);
      } else if (classOf(space) === '[object String]') {
        space = String(space);
      }
    }
    var gap = '';
    if (typeof space === 'number') {
      for (var i = 0; i < Math.min(10, Math.floor(space)); i++) {
        gap += ' ';
      }
    } else if (typeof space === 'string') {
      gap = space.slice(0, 10);
    }
    return gap;
  }

  function stringify(value, replacer, space) {
    if (replacer && typeof replacer !== 'function' &&
        (typeof replacer !== 'object' || typeof replacer.length !== 'number')) {
      throw new Error('JSON.stringify');
    }
    var state = { gap: gapFrom(space), indent: '', replacer: null, keys: null, stack: [] };
    if (typeof replacer === 'function') {
      state.replacer = replacer;
    } else if (replacer) {
      state.keys = [];
      for (var i = 0; i < replacer.length; i++) {
        if (typeof replacer[i] === 'string' && !contains(state.keys, replacer[i])) {
          state.keys.push(replacer[i]);
        }
      }
    }
    return serialize({ '': value }, '', state);
  }

  if (typeof JSON.stringify !== 'function') {
    JSON.stringify = stringify;
  }

  // Characters that would end a line or vanish inside the text handed to eval.
  var unsafe = /[\u0000\u00ad\u0600-\u0604\u070f\u17b4\u17b5\u200c-\u200f\u2028-\u202f\u2060-\u206f\ufeff\ufff0-\uffff]/g;
  // What is left of a JSON text once escapes, values and opening brackets are taken out.
  var escapeSequence = /\\(?:["\\\/bfnrt]|u[0-9a-fA-F]{4})/g;
  var simpleValue = /"[^"\\\n\r]*"|true|false|null|-?\d+(?:\.\d*)?(?:[eE][+\-]?\d+)?/g;
  var openBrackets = /(?:^|:|,)(?:\s*\[)+/g;
  var structureOnly = /^[\],:{}\s]*$/;

  function revive(holder, key, reviver) {
    var value = holder[key];
    if (value && typeof value === 'object') {
      var keys;
      if (classOf(value) === '[object Array]') {
        keys = [];
        for (var i = 0; i < value.length; i++) {
          keys.push(String(i));
        }
      } else {
        keys = ownKeys(value);
      }
      for (var k = 0; k < keys.length; k++) {
        var revived = revive(value, keys[k], reviver);
        if (revived === undefined) {
          delete value[keys[k]];
        } else {
          value[keys[k]] = revived;
        }
      }
    }
    return reviver.call(holder, key, value);
  }

  function parse(text, reviver) {
    text = String(text).replace(unsafe, unicodeEscape);
    var skeleton = text.replace(escapeSequence, '@').replace(simpleValue, ']')
        .replace(openBrackets, '');
    if (!structureOnly.test(skeleton)) {
      throw new SyntaxError('JSON.parse');
    }
    var result = eval('(' + text + ')');
    return typeof reviver === 'function' ? revive({ '': result }, '', reviver) : result;
  }

  if (typeof JSON.parse !== 'function') {
    JSON.parse = parse;
  }

  if (!Object.prototype.toJSONString) {
    Object.prototype.toJSONString = function (filter) {
      return JSON.stringify(this, filter);
    };
    Object.prototype.parseJSON = function (filter) {
      return JSON.parse(this, filter);
    };
  }
}());
