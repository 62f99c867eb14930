/* Tillon Salebox runtime: makes the page's Saleboxes sell in browsers that
 * run no applets.
 *
 * Every <applet code="VendorApplet"> is replaced by an HTML Salebox built
 * from the tag's parameters. Buying goes through the Tillon service's
 * purchase window; the service hands back the product's key for a paid
 * token, the encoded file is fetched from the vendor's server and decoded
 * here with TillonCipher (tillon-cipher.js, loaded first). In a local
 * preview the stand-alone comms applet's product lines carry the keys and
 * no service is involved.
 *
 * Defensive by design: every Salebox is built and run inside its own
 * try/catch, and promise chains end in a handler, so one broken tag never
 * stops the others and nothing reaches the console.
 */
(function (global) {
  'use strict';
  if (!global || !global.document || global.TillonSalebox) return;
  var document = global.document;

  var MSG = {
    incomplete: 'This Salebox is incomplete and cannot sell.',
    noService: 'This page does not name the Tillon service, so this Salebox cannot sell.',
    noPreviewLine: 'This preview Salebox has no product line, so it cannot be bought here.',
    blocked: 'Your browser blocked the purchase window. Please allow pop-ups for this page and press Buy again.',
    buying: 'Buying...',
    fetching: 'Fetching your product...',
    cancelled: 'The purchase was cancelled. Nothing was charged.',
    windowClosed: 'The purchase window was closed before the purchase was finished.',
    refused: 'The Tillon service did not release this product: ',
    unreachable: 'The Tillon service could not be reached. Please check your connection and try again.',
    fileStatus: "The product's file could not be fetched from the vendor's server (HTTP ",
    fileFailed: "The product's file could not be fetched from the vendor's server.",
    notShown: 'The product could not be shown.',
    newWindow: 'Your purchase opened in a new window.',
    thanks: 'Thank you for your purchase.',
    localFiles: 'This browser does not let a page read files on your disk, so the preview cannot be bought ' +
      'here. Open the preview in a browser that allows it (Chromium: start it with ' +
      '--allow-file-access-from-files), or publish the page and buy from your server.'
  };

  var STYLE_ID = 'tillon-salebox-style';
  var STYLE = [
    '.tillon-salebox{box-sizing:border-box;display:inline-block;vertical-align:top;overflow:hidden;',
    'padding:8px;margin:2px;border:1px solid #8a8f98;border-radius:6px;background:#fbfbfd;color:#1d1f23;',
    'font:14px/1.35 system-ui,sans-serif;text-align:left;overflow-wrap:anywhere;}',
    '.tillon-salebox>*{max-width:100%;}',
    '.tillon-teaser{display:block;max-width:100%;max-height:45%;height:auto;margin:0 auto 6px;object-fit:contain;}',
    '.tillon-preview-mark{display:inline-block;padding:0 6px;margin-bottom:4px;border-radius:3px;',
    'background:#b3261e;color:#fff;font-size:12px;font-weight:bold;text-transform:uppercase;}',
    '.tillon-name{font-weight:bold;font-size:16px;}',
    '.tillon-description{margin:2px 0;}',
    '.tillon-price{margin:2px 0 6px;font-weight:bold;}',
    '.tillon-buy{font:inherit;padding:4px 18px;border:1px solid #1f4f9e;border-radius:4px;',
    'background:#2a64c5;color:#fff;cursor:pointer;}',
    '.tillon-buy:focus{outline:2px solid #f2a900;outline-offset:2px;}',
    '.tillon-buy:disabled{background:#9aa7bd;border-color:#9aa7bd;cursor:default;}',
    '.tillon-message{margin-top:6px;min-height:1em;}',
    '.tillon-salebox[data-state=failed] .tillon-message{color:#b3261e;}',
    '.tillon-content{margin-top:6px;}',
    '.tillon-text{white-space:pre-wrap;margin:0;max-height:300px;overflow:auto;font-size:13px;}',
    '.tillon-image{display:block;max-width:100%;height:auto;}',
    '.tillon-frame{width:100%;height:300px;border:1px solid #ccc;}'
  ].join('');

  function addStyle() {
    if (document.getElementById(STYLE_ID)) return;
    var style = document.createElement('style');
    style.id = STYLE_ID;
    style.textContent = STYLE;
    (document.head || document.documentElement).appendChild(style);
  }

  function el(tag, className, text) {
    var e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function lower(text) {
    return String(text == null ? '' : text).toLowerCase();
  }

  function isSaleboxApplet(applet) {
    var code = lower(applet.getAttribute('code')).trim();
    return code === 'vendorapplet' || code === 'vendorapplet.class';
  }

  // The applet's parameters by lower-case name; the first of a name wins,
  // as it does for the seller tool reading the tag back.
  function params(applet) {
    var result = {};
    var list = applet.getElementsByTagName('param');
    for (var k = 0; k < list.length; k++) {
      var name = lower(list[k].getAttribute('name')).trim();
      if (name && !(name in result)) result[name] = String(list[k].getAttribute('value') || '').trim();
    }
    return result;
  }

  function resolve(url, base) {
    try {
      return new URL(url, base || document.baseURI).href;
    } catch (e) {
      return null;
    }
  }

  // A codebase names a folder even when written without its closing slash.
  function folder(url) {
    return url && url.charAt(url.length - 1) !== '/' ? url + '/' : url;
  }

  function priceText(cost) {
    if (/^[0-9]+$/.test(cost)) return '$' + (Number(cost) / 100).toFixed(2);
    return cost + ' cents';
  }

  function sizeOf(value) {
    value = String(value == null ? '' : value).trim();
    if (/^[0-9]+$/.test(value)) return value + 'px';
    if (/^[0-9]+(\.[0-9]+)?%$/.test(value)) return value;
    return '';
  }

  // The page's comms applet: where the service lies (published page) or the
  // product lines with their keys (local preview).
  function findComms() {
    var applets = document.getElementsByTagName('applet');
    for (var k = 0; k < applets.length; k++) {
      var a = applets[k];
      var code = lower(a.getAttribute('code'));
      if (lower(a.getAttribute('name')) !== 'tilloncommsapplet' && code.indexOf('commsapplet') < 0) continue;
      var codebase = resolve(a.getAttribute('codebase') || '');
      if (code.indexOf('standalonecommsapplet') >= 0) {
        var lines = {};
        var p = params(a);
        for (var name in p) {
          if (!/^product[0-9]+$/.test(name)) continue;
          var fields = p[name].split(';');
          if (fields.length < 5) continue;
          lines[fields[0].trim()] = { vendorID: fields[1], cost: fields[2], file: fields[3].trim(), key: fields[4].trim() };
        }
        return { preview: true, folder: folder(codebase), lines: lines };
      }
      var base = null;
      if (codebase) {
        var cut = codebase.indexOf('/Salebox/classes');
        base = cut >= 0 ? codebase.substring(0, cut) : null;
      }
      return { preview: false, base: base };
    }
    return { preview: false, base: null };
  }

  // Whole file as bytes. fetch() refuses file: URLs, so those go through
  // XMLHttpRequest, which a browser allows for local pages when told to.
  // Resolves {ok, status, bytes}; rejects when nothing could be read at all.
  function getBytes(url) {
    if (/^file:/i.test(url)) {
      return new Promise(function (resolveP, rejectP) {
        try {
          var xhr = new XMLHttpRequest();
          xhr.open('GET', url, true);
          xhr.responseType = 'arraybuffer';
          xhr.onload = function () {
            if (xhr.response) resolveP({ ok: true, status: xhr.status, bytes: new Uint8Array(xhr.response) });
            else rejectP(new Error('nothing read'));
          };
          xhr.onerror = function () { rejectP(new Error('refused')); };
          xhr.send();
        } catch (e) {
          rejectP(e);
        }
      });
    }
    return fetch(url, { credentials: 'same-origin' }).then(function (response) {
      if (!response.ok) return { ok: false, status: response.status, bytes: null };
      return response.arrayBuffer().then(function (buffer) {
        return { ok: true, status: response.status, bytes: new Uint8Array(buffer) };
      });
    });
  }

  // A failure whose text is meant for the buyer.
  function Failure(message) {
    this.message = message;
  }

  var boxes = [];
  var listening = false;

  function onMessage(event) {
    try {
      var data = event.data;
      if (!data || typeof data !== 'object' || data.tillon !== 'purchase') return;
      for (var k = 0; k < boxes.length; k++) {
        var box = boxes[k];
        if (box.state !== 'buying' || !box.purchaseWindow) continue;
        if (event.origin !== box.serviceOrigin) continue;
        if (String(data.productID) !== box.productID) continue;
        if (data.vendorID != null && String(data.vendorID) !== box.vendorID) continue;
        box.purchaseAnswered(data);
        return;
      }
    } catch (e) {
      // A stray message must not break the page.
    }
  }

  function Salebox(applet, comms) {
    var p = params(applet);
    this.productID = p.productid || '';
    this.vendorID = p.vendorid || '';
    this.name = p.saleboxname || '';
    this.mediaType = p.mediatype || '';
    this.useFrame = p.douseframe === 'true';
    this.comms = comms;
    this.state = 'ready';
    this.build(applet, p);
    // A Salebox that can never sell keeps its Buy button off for good.
    var complete = this.productID !== '' && this.vendorID !== '' && p.cost !== undefined && p.cost !== '';
    var why = !complete ? MSG.incomplete
      : comms.preview && !comms.lines[this.productID] ? MSG.noPreviewLine
      : !comms.preview && !comms.base ? MSG.noService : null;
    if (why) {
      this.broken = true;
      this.fail(why);
    }
    if (!comms.preview && comms.base) {
      var origin = resolve(comms.base);
      this.serviceOrigin = origin ? new URL(origin).origin : null;
    }
  }

  Salebox.prototype.build = function (applet, p) {
    var root = el('div', 'tillon-salebox');
    root.setAttribute('role', 'group');
    root.setAttribute('aria-label', 'Salebox: ' + this.name);
    root.setAttribute('data-product-id', this.productID);
    root.setAttribute('data-applet-name', applet.getAttribute('name') || '');
    root.setAttribute('data-state', 'ready');
    var width = sizeOf(applet.getAttribute('width'));
    var height = sizeOf(applet.getAttribute('height'));
    if (width) root.style.width = width;
    if (height) root.style.minHeight = height;

    if (p.previewurl) root.appendChild(this.teaser(p.previewurl));
    if (this.comms.preview) root.appendChild(el('div', 'tillon-preview-mark', 'Preview'));
    root.appendChild(el('div', 'tillon-name', this.name));
    root.appendChild(el('div', 'tillon-description', p.description || ''));
    root.appendChild(el('div', 'tillon-price', priceText(p.cost || '')));
    this.button = el('button', 'tillon-buy', 'Buy');
    this.button.type = 'button';
    root.appendChild(this.button);
    this.message = el('div', 'tillon-message');
    this.message.setAttribute('role', 'status');
    this.message.setAttribute('aria-live', 'polite');
    root.appendChild(this.message);
    this.content = el('div', 'tillon-content');
    root.appendChild(this.content);
    this.root = root;

    var self = this;
    this.button.addEventListener('click', function () {
      try {
        self.buy();
      } catch (e) {
        self.fail(MSG.notShown);
      }
    });
    applet.parentNode.replaceChild(root, applet);
  };

  // The teaser. A tag made by the seller tool names the picture on the
  // vendor's disk (C:\web\teaser.gif, /home/ann/teaser.gif: a drive, a
  // backslash, or an absolute path without "//", as the tool itself tells a
  // local path); publishing uploads it by its file name, so that name is
  // looked for beside the page. A teaser found nowhere is left out rather
  // than shown as a broken picture.
  Salebox.prototype.teaser = function (value) {
    var teaser = el('img', 'tillon-teaser');
    teaser.alt = 'Preview of ' + this.name;
    var local = /^[A-Za-z]:/.test(value) || value.indexOf('\\') >= 0 ||
      (value.charAt(0) === '/' && value.indexOf('//') < 0);
    var name = value.substring(Math.max(value.lastIndexOf('/'), value.lastIndexOf('\\')) + 1);
    var src = resolve(local ? name : value);
    teaser.onerror = function () {
      if (teaser.parentNode) teaser.parentNode.removeChild(teaser);
    };
    if (src) teaser.src = src;
    return teaser;
  };

  Salebox.prototype.setState = function (state, message) {
    this.state = state;
    this.root.setAttribute('data-state', state);
    this.button.disabled = state === 'buying' || !!this.broken;
    if (message !== undefined) this.message.textContent = message;
  };

  Salebox.prototype.fail = function (message) {
    this.stopWatching();
    this.setState('failed', message);
  };

  Salebox.prototype.buy = function () {
    if (this.state === 'buying' || this.broken) return;
    while (this.content.firstChild) this.content.removeChild(this.content.firstChild);
    if (this.comms.preview) return this.buyPreview();

    var url = this.comms.base + '/buyer/Purchase.html?vendor_id=' + encodeURIComponent(this.vendorID) +
      '&product_id=' + encodeURIComponent(this.productID) + '&origin=' + encodeURIComponent(global.location.origin);
    var w = global.open(url, 'tillon_purchase', 'width=480,height=560');
    if (!w) {
      this.setState('ready', MSG.blocked);
      return;
    }
    this.purchaseWindow = w;
    this.setState('buying', MSG.buying);
    this.watchWindow();
  };

  // A purchase window closed without an answer leaves the Salebox able to
  // buy again. The answer is posted just before the window closes, so a
  // closed window is given a moment for its message to arrive.
  Salebox.prototype.watchWindow = function () {
    var self = this;
    var closedSince = 0;
    this.stopWatching();
    this.watch = global.setInterval(function () {
      try {
        if (self.state !== 'buying' || !self.purchaseWindow) return self.stopWatching();
        if (!self.purchaseWindow.closed) return;
        if (!closedSince) closedSince = Date.now();
        else if (Date.now() - closedSince > 1500) {
          self.stopWatching();
          self.purchaseWindow = null;
          self.setState('ready', MSG.windowClosed);
        }
      } catch (e) {
        self.stopWatching();
      }
    }, 500);
  };

  Salebox.prototype.stopWatching = function () {
    if (this.watch) global.clearInterval(this.watch);
    this.watch = null;
  };

  Salebox.prototype.purchaseAnswered = function (data) {
    this.stopWatching();
    this.purchaseWindow = null;
    if (data.cancelled) {
      this.setState('ready', MSG.cancelled);
      return;
    }
    if (!data.token) return;
    var self = this;
    var keyUrl = this.comms.base + '/buyer/KeyExchange?token=' + encodeURIComponent(String(data.token)) +
      '&product_id=' + encodeURIComponent(this.productID);
    var release;
    this.run(
      fetch(keyUrl, { mode: 'cors', credentials: 'omit', cache: 'no-store' }).then(
        function (response) {
          return response.json().then(null, function () { return {}; }).then(function (body) {
            if (!response.ok || !body || !body.key) {
              var why = body && body.message ? body.message : 'HTTP ' + response.status;
              throw new Failure(MSG.refused + why + '.');
            }
            release = body;
            self.message.textContent = MSG.fetching;
            var fileUrl = resolve(String(body.product_url || ''));
            if (!fileUrl) throw new Failure(MSG.fileFailed);
            return getBytes(fileUrl).then(null, function () { throw new Failure(MSG.fileFailed); });
          });
        },
        function (e) {
          if (e instanceof Failure) throw e;
          throw new Failure(MSG.unreachable);
        }
      ).then(function (file) {
        if (!file.ok) throw new Failure(MSG.fileStatus + file.status + ').');
        return { key: release.key, bytes: file.bytes, mediaType: self.mediaType || release.media_type || '' };
      })
    );
  };

  Salebox.prototype.buyPreview = function () {
    var self = this;
    var line = this.comms.lines[this.productID];
    var fileUrl = resolve('products/' + line.file, this.comms.folder);
    this.setState('buying', MSG.fetching);
    var localPage = /^file:/i.test(global.location.href);
    this.run(
      getBytes(fileUrl).then(null, function () {
        throw new Failure(localPage ? MSG.localFiles : MSG.fileFailed);
      }).then(function (file) {
        if (!file.ok) throw new Failure(MSG.fileStatus + file.status + ').');
        return { key: line.key, bytes: file.bytes, mediaType: self.mediaType };
      })
    );
  };

  // Decodes the whole product, then shows it; only then is the Salebox done.
  Salebox.prototype.run = function (promise) {
    var self = this;
    promise.then(function (got) {
      var plain = global.TillonCipher.decode(global.TillonCipher.hexToKey(got.key), got.bytes);
      return self.show(plain, lower(got.mediaType).trim());
    }).then(function (message) {
      self.setState('done', message || MSG.thanks);
    }, function (e) {
      self.fail(e instanceof Failure ? e.message : MSG.notShown);
    }).then(null, function () {});
  };

  // Resolves with the message to finish with; rejects when nothing could
  // be shown.
  Salebox.prototype.show = function (bytes, type) {
    var self = this;
    if (type === 'text/html') {
      var html = new TextDecoder('utf-8').decode(bytes);
      if (!this.useFrame && this.openWindow(html)) return Promise.resolve(MSG.newWindow);
      this.content.appendChild(this.frame(document, html));
      return Promise.resolve();
    }
    if (type.indexOf('text/') === 0) {
      this.content.appendChild(el('pre', 'tillon-text', new TextDecoder('utf-8').decode(bytes)));
      return Promise.resolve();
    }
    var blobUrl = URL.createObjectURL(new Blob([bytes], { type: type || 'application/octet-stream' }));
    if (type.indexOf('image/') === 0) {
      return new Promise(function (resolveP, rejectP) {
        var img = el('img', 'tillon-image');
        img.alt = self.name;
        img.onload = function () { resolveP(); };
        img.onerror = function () {
          if (img.parentNode) img.parentNode.removeChild(img);
          URL.revokeObjectURL(blobUrl);
          rejectP(new Failure(MSG.notShown));
        };
        img.src = blobUrl;
        self.content.appendChild(img);
      });
    }
    var link = el('a', 'tillon-download', 'Download ' + (this.name || 'the product'));
    link.href = blobUrl;
    link.setAttribute('download', this.name || 'product');
    this.content.appendChild(link);
    return Promise.resolve();
  };

  // A frame that shows the page but lets it run nothing and reach nothing.
  Salebox.prototype.frame = function (doc, html) {
    var frame = doc.createElement('iframe');
    frame.className = 'tillon-frame';
    frame.setAttribute('sandbox', '');
    frame.setAttribute('title', this.name);
    frame.srcdoc = html;
    return frame;
  };

  // A new window cut off from this page, holding the sandboxed frame; false
  // when the browser blocked it.
  Salebox.prototype.openWindow = function (html) {
    var w = null;
    try {
      w = global.open('about:blank', '_blank');
    } catch (e) {
      w = null;
    }
    if (!w) return false;
    try {
      w.opener = null;
      var doc = w.document;
      doc.title = this.name;
      var style = doc.createElement('style');
      style.textContent = 'html,body{margin:0;height:100%}.tillon-frame{border:0;width:100%;height:100%}';
      (doc.head || doc.documentElement).appendChild(style);
      var body = doc.body || doc.documentElement.appendChild(doc.createElement('body'));
      body.appendChild(this.frame(doc, html));
      return true;
    } catch (e) {
      try { w.close(); } catch (ignored) { /* already gone */ }
      return false;
    }
  };

  function javaRuns() {
    try {
      var nav = global.navigator;
      return !!(nav && typeof nav.javaEnabled === 'function' && nav.javaEnabled());
    } catch (e) {
      return false;
    }
  }

  // The page's browser object serves only browsers with the Salebox plug-in;
  // elsewhere it would stand as an empty box at the top of the page.
  function hideBrowserObject() {
    var objects = document.getElementsByTagName('object');
    for (var k = 0; k < objects.length; k++) {
      if (lower(objects[k].getAttribute('codebase')).indexOf('saleboxlib.cab') >= 0) objects[k].style.display = 'none';
    }
  }

  // What stands in for a tag that could not be made into a Salebox at all;
  // the others are still made.
  function brokenBox(applet) {
    try {
      if (!applet.parentNode) return;
      var root = el('div', 'tillon-salebox');
      root.setAttribute('role', 'group');
      root.setAttribute('aria-label', 'Salebox');
      root.setAttribute('data-state', 'failed');
      var message = el('div', 'tillon-message', MSG.incomplete);
      message.setAttribute('role', 'status');
      root.appendChild(message);
      applet.parentNode.replaceChild(root, applet);
    } catch (e) {
      // Leave the tag as it is.
    }
  }

  // Replaces every Salebox applet of the page; safe to call again (replaced
  // applets are gone).
  function start() {
    if (javaRuns()) return 0;
    var made = 0;
    try {
      addStyle();
      hideBrowserObject();
      var comms = findComms();
      var applets = document.getElementsByTagName('applet');
      var found = [];
      for (var k = 0; k < applets.length; k++) if (isSaleboxApplet(applets[k])) found.push(applets[k]);
      for (k = 0; k < found.length; k++) {
        try {
          boxes.push(new Salebox(found[k], comms));
          made++;
        } catch (e) {
          brokenBox(found[k]);
        }
      }
      if (!listening && !comms.preview) {
        global.addEventListener('message', onMessage);
        listening = true;
      }
    } catch (e) {
      // Nothing may escape to the page.
    }
    return made;
  }

  global.TillonSalebox = { start: start, priceText: priceText };

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
})(typeof window !== 'undefined' ? window : this);
